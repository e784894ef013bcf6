// The main window's commands that open other windows.
#include "app/DocumentList.h"
#include "app/LoginValues.h"
#include "app/ObjectDeletion.h"
#include "app/OpenDialogRules.h"
#include "app/TFrmOpen.h"
#include "app/TMainForm.h"
#include "app/TPassCheck.h"
#include "base/Messages.h"
#include "base/Progress.h"
#include "base/Settings.h"
#include "design/FormElementCache.h"
#include "design/TIndexValues.h"
#include "design/TTrKz.h"
#include "design/TTrTable.h"
#include "diary/EntryClipboard.h"
#include "diary/EntryOperations.h"
#include "diary/TSucheTr.h"
#include "diary/TTrainingseintrag.h"
#include "diary/TTrainingstagebuch.h"
#include "evaluation/TAuswertung.h"
#include "people/TFilter.h"
#include "people/TSportlerkartei.h"
#include "store/Engine.h"
#include "store/Query.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace velmora {

void TMainForm::ApplyLogin(int personNr) {
    const LoginValues v = LoginValuesFor(Engine::current()->dblog(), personNr);
    LoginPersonNr = v.personNr;
    LoginGruppenNr = v.gruppenNr;
    LoginTrainerNr = v.trainerNr;
    findChild<QLabel *>(QStringLiteral("StatusPanel0"))->setText(v.statusText);
}

void TMainForm::RebuildDocumentList() {
    try {
        if (m_progress)
            BuildDocumentList(m_progress, LoginPersonNr, LoginGruppenNr);
        else
            velmora::RebuildDocumentList(Engine::current()->dblog(), nullptr, LoginPersonNr, LoginGruppenNr);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
}

void TMainForm::miRelogin1Click() {
    CloseAll1Click();
    if (!m_mdi->subWindowList().isEmpty())
        return; // a child refused to close; the login stays
    {
        TPassCheck login(this, QStringLiteral("TB"));
        if (login.exec() == QDialog::Accepted)
            ApplyLogin(login.personNr());
    }
    // Rebuilt after a cancel as well: the previous login stays in force.
    RebuildDocumentList();
}

void TMainForm::miOpen1Click() {
    TFrmOpen open(this);
    open.setLoginPersonNr(LoginPersonNr);
    open.setLoginGruppenNr(LoginGruppenNr);
    open.setLoginTrainerNr(LoginTrainerNr);
    if (open.exec() != QDialog::Accepted)
        return;
    bool changed = false;
    switch (open.Art()) {
    case KindPersonOrGroup: {
        // The login values stay untouched: overwriting the group here would
        // silently change the rights of later document lists.
        TSportlerkartei card(open.Key1(), open.Trainer(), open.ReadOnly(), open.Name().left(50), this);
        changed = card.exec() == QDialog::Accepted;
        break;
    }
    case KindProtocol:
    case KindPlan: {
        TTrainingstagebuch *diary = CreateDiary();
        diary->ReadOnly = open.ReadOnly();
        diary->PersonNr = open.Key1();
        diary->FilterNr = open.FormFilter();
        diary->GruppenNr = open.Gruppe();
        diary->TrainerNr = open.Trainer();
        diary->KindCode = open.Art();
        diary->Name = open.Name();
        diary->initialise(false, open.Von(), open.Bis());
        diary->show();
        break;
    }
    case KindForm: {
        if (!CommitChildren())
            return;
        // The login values stay untouched here as well (see above).
        TTrKz designer(LoginPersonNr, open.Key2(), open.Key1(), open.ReadOnly(), this);
        designer.editPickList = [this, &designer](int form, int table, int feld, const QString &name) {
            EditPickList(form, table, feld, designer.isReadOnly(), name);
        };
        if (designer.exec() == QDialog::Accepted && designer.FillIn())
            OpenFormFillIn(designer.SerienNr(), designer.TrNr(), designer.FormName(), designer.isReadOnly());
        // The designer has replaced the form's elements itself; the list of
        // forms may have changed.
        changed = true;
        break;
    }
    case KindBlock: {
        TTrTable designer(this);
        designer.setTableNr(open.Key1());
        designer.setReadOnly(true);
        changed = designer.exec() == QDialog::Accepted;
        if (changed && designer.LayoutRequested())
            OpenLayoutEditor();
        break;
    }
    case KindFilter: {
        TFilter filter(open.Key1(), open.Key2(), open.Gruppe(), open.Name().left(50), open.ReadOnly(), this);
        changed = filter.exec() == QDialog::Accepted;
        break;
    }
    case KindWorkbook:
        changed = OpenWorkbookWindow(open.Key1(), open.ReadOnly());
        break;
    case KindEvaluation:
        RunEvaluationWizard(open.Key1(), open.ReadOnly(), open.Name());
        // The wizard has rebuilt the document list itself.
        break;
    default:
        Messages::information(
            QStringLiteral("\"%1\" kann in dieser Version noch nicht geöffnet werden.").arg(open.Name()));
        break;
    }
    if (changed)
        RebuildDocumentList();
}

void TMainForm::ReloadFormElements() {
    try {
        LoadFormElementCache(Engine::current()->dblog(), nullptr);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
}

void TMainForm::EditPickList(int formularNr, int tableNr, int feldNr, bool readOnly, const QString &displayName) {
    TIndexValues editor(formularNr, tableNr, feldNr, LoginPersonNr, readOnly, displayName, this);
    editor.exec();
}

namespace {
// The entries chosen in a diary's list: the selected rows, else the current one.
std::vector<EntryReference> chosenEntries(TTrainingstagebuch &diary) {
    std::vector<EntryReference> out;
    Cursor &list = diary.listCursor();
    QList<int> rows;
    if (QItemSelectionModel *sel = diary.dbgTr->selectionModel())
        for (const QModelIndex &i : sel->selectedRows())
            rows << i.row();
    std::sort(rows.begin(), rows.end());
    const int serien = list.fieldIndex(QStringLiteral("SerienNr")), trnr = list.fieldIndex(QStringLiteral("TrNr"));
    for (int r : rows) {
        const std::vector<QVariant> row = list.rowAt(r);
        if (!row.empty())
            out.push_back({row[size_t(serien)].toInt(), row[size_t(trnr)].toInt()});
    }
    if (out.empty() && list.recNo() >= 0)
        out.push_back({list.asInt(QStringLiteral("SerienNr")), list.asInt(QStringLiteral("TrNr"))});
    return out;
}

int selectedCount(TTrainingstagebuch &diary) {
    QItemSelectionModel *sel = diary.dbgTr->selectionModel();
    return sel ? int(sel->selectedRows().size()) : 0;
}
} // namespace

void TMainForm::DiaryNewEntry(TTrainingstagebuch &diary) {
    Database &db = Engine::current()->dblog();
    try {
        EntryOperations::CheckEntriesAllowed(diary.KindCode);
        // What is being typed belongs to the entry before it can serve as the
        // template; a failed save keeps it there, and no entry is made.
        if (!diary.CommitEntryView())
            return;
        TSucheTr search(db, this);
        search.Art = diary.KindCode;
        search.PersonNr = diary.PersonNr;
        search.GruppenNr = diary.GruppenNr;
        search.ShowPerson = diary.SeveralPersons;
        if (search.exec() != QDialog::Accepted)
            return;
        const CopyTarget target{diary.KindCode, search.Person(), LoginPersonNr, settings().SerienNr};
        EntryReference key{search.SerienNr(), search.TrNr()};
        const QDateTime date =
            EntryOperations::CopyEntryToDate(db, target, key, QDateTime(search.NewDate(), QTime(0, 0)));
        diary.RebuildList();
        diary.RefindEntry(date, key.SerienNr, key.TrNr);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
}

TTrainingstagebuch *TMainForm::CreateDiary() {
    auto *diary = new TTrainingstagebuch(this);
    diary->newEntry = [this](TTrainingstagebuch &d) { DiaryNewEntry(d); };
    diary->copyEntries = [this](TTrainingstagebuch &d) { EntryClipboard::CopyEntries(*this, chosenEntries(d)); };
    diary->pasteEntries = [this](TTrainingstagebuch &d) {
        try {
            // Stored first, as before a new entry: the list is rebuilt afterwards.
            if (!d.CommitEntryView())
                return;
            const CopyTarget target{d.KindCode, d.PersonNr, LoginPersonNr, settings().SerienNr};
            const std::optional<PasteResult> r =
                EntryClipboard::PasteEntriesCommand(this, Engine::current()->dblog(), *this, target);
            if (r && r->pasted > 0) {
                d.RebuildList();
                d.RefindEntry(r->lastDate, r->lastKey.SerienNr, r->lastKey.TrNr);
            }
        } catch (const VelmoraError &e) {
            Messages::error(e.message());
        }
    };
    diary->deleteEntry = [this](TTrainingstagebuch &d) {
        try {
            const std::vector<EntryReference> chosen = chosenEntries(d);
            // An entry shown read-only (another author's) is not deleted.
            if (chosen.empty() || d.ReadOnly)
                return;
            // The entry view holds the entry's rows in edit state; it must not
            // write them back after they are gone.
            d.DiscardEntryView();
            if (EntryOperations::ConfirmDeleteEntry(Engine::current()->dblog(), chosen.front(), selectedCount(d),
                                                    d.User)) {
                EntryClipboard::ForgetEntry(*this, chosen.front());
                d.RebuildList();
            } else {
                d.ShowCurrentEntry();
            }
        } catch (const VelmoraError &e) {
            Messages::error(e.message());
        }
    };
    diary->runEvaluation = [this](TTrainingstagebuch &d, int evaluationNr, const QString &title) {
        TAuswertung::OpenFromDiary(this, Engine::current()->dblog(), d, evaluationNr, title);
    };
    diary->openWorkbook = [this](TTrainingstagebuch &d, int analyseNr) { DiaryOpenWorkbook(d, analyseNr); };
    diary->exportData = [this](TTrainingstagebuch &d) { DiaryExportData(d); };
    diary->editFilter = [this](TTrainingstagebuch &d, int filterNr) {
        TFilter filter(filterNr, d.PersonNr, d.GruppenNr, QString(), false, this);
        filter.exec();
        RebuildDocumentList();
    };
    diary->entryViewFactory = [this](QWidget *parent, const EntryViewParams &params) -> EntryView * {
        auto *view = new TTrainingseintrag(parent, params);
        view->copyRows = [this](const std::vector<RowReference> &rows) { EntryClipboard::CopyRows(*this, rows); };
        view->clipboardRows = [this] { return EntryClipboard::Rows(*this); };
        view->canPasteRows = [this](const QString &table) { return EntryClipboard::CanPasteRows(*this, table); };
        view->editPickList = [this](int form, int table, int feld, const QString &name, int, bool readOnly) {
            TIndexValues editor(form, table, feld, LoginPersonNr, readOnly, name, this);
            editor.exec();
        };
        return view;
    };
    diary->saveLayout = [](EntryView *view) {
        if (auto *entry = dynamic_cast<TTrainingseintrag *>(view))
            entry->saveLayout();
    };
    m_mdi->addSubWindow(diary)->resize(m_mdi->viewport()->size() * 0.9);
    return diary;
}

void TMainForm::OpenFormFillIn(int serienNr, int trNr, const QString &formName, bool readOnly) {
    TTrainingstagebuch *diary = CreateDiary();
    diary->SerienNr = serienNr;
    diary->TrNr = trNr;
    diary->DetailOnly = true;
    diary->ReadOnly = readOnly;
    diary->KindCode = 1;
    diary->PersonNr = LoginPersonNr;
    diary->TrainerNr = LoginPersonNr;
    diary->GruppenNr = LoginGruppenNr;
    diary->Name = QStringLiteral("Formular \"") + formName.left(60) + QStringLiteral("\" vorausfüllen");
    diary->initialise(true);
    diary->show();
}

void TMainForm::OpenLayoutEditor() {
    TTrainingstagebuch *diary = CreateDiary();
    diary->Layout = true;
    diary->PersonNr = LoginPersonNr;
    diary->TrainerNr = LoginPersonNr;
    diary->GruppenNr = LoginGruppenNr;
    diary->KindCode = 1;
    diary->Name = QStringLiteral("Layout festlegen");
    diary->initialise(true);
    diary->show();
}

void TMainForm::miTable1Click() {
    TTrTable designer(this);
    designer.setTrainerNr(LoginPersonNr);
    if (designer.exec() == QDialog::Accepted) {
        ReloadFormElements();
        RebuildDocumentList();
        if (designer.LayoutRequested())
            OpenLayoutEditor();
    } else {
        designer.Discard();
    }
}

void TMainForm::miFilter2Click() {
    TFilter filter(0, LoginPersonNr, LoginGruppenNr, QString(), false, this);
    filter.exec();
    RebuildDocumentList();
}

void TMainForm::miTrKz1Click() {
    if (!CommitChildren())
        return;
    TTrKz designer(LoginGruppenNr, 0, 0, false, this);
    designer.editPickList = [this](int form, int table, int feld, const QString &name) {
        EditPickList(form, table, feld, false, name);
    };
    const bool fillIn = designer.exec() == QDialog::Accepted && designer.FillIn();
    RebuildDocumentList();
    if (fillIn)
        OpenFormFillIn(designer.SerienNr(), designer.TrNr(), designer.FormName(), designer.isReadOnly());
}

bool TMainForm::CommitChildren() {
    for (QMdiSubWindow *w : m_mdi->subWindowList())
        if (auto *diary = qobject_cast<TTrainingstagebuch *>(w->widget()); diary && !diary->CommitEntryView())
            return false;
    return true;
}

void TMainForm::miDeleteClick() {
    // What the diaries hold is stored first: a deletion must not start
    // over typing that cannot be stored.
    if (!CommitChildren())
        return;
    SilentProgress silent;
    Progress &progress = m_progress ? *m_progress : silent;
    progress.ResetSteps();
    TFrmOpen open(this);
    open.setLoginPersonNr(LoginPersonNr);
    open.setLoginGruppenNr(LoginGruppenNr);
    open.setLoginTrainerNr(LoginTrainerNr);
    if (open.exec() != QDialog::Accepted) {
        progress.CloseProgress();
        return;
    }
    // No diary keeps an entry view open on rows or block tables that are
    // about to go; the lists are read again afterwards.
    if (!CommitChildren()) {
        progress.CloseProgress();
        return;
    }
    std::vector<TTrainingstagebuch *> diaries;
    for (QMdiSubWindow *w : m_mdi->subWindowList())
        if (auto *diary = qobject_cast<TTrainingstagebuch *>(w->widget())) {
            diary->DiscardEntryView();
            diaries.push_back(diary);
        }
    DeletionTarget target;
    target.kind = open.Art();
    target.key1 = open.Key1();
    target.key2 = open.Key2();
    target.gruppe = open.Gruppe();
    target.trainer = open.Trainer();
    target.formFilter = open.FormFilter();
    target.name = open.Name();
    target.from = open.Von();
    target.to = open.Bis();
    target.readOnly = open.ReadOnly();
    ObjectDeletion deletion(Engine::current()->dblog(), progress, LoginPersonNr, LoginGruppenNr);
    if (deletion.Run(target))
        for (TTrainingstagebuch *diary : diaries)
            diary->RebuildList();
}

void TMainForm::miSportler1Click() {
    TSportlerkartei card(0, LoginTrainerNr, false, QString(), this);
    if (card.exec() == QDialog::Accepted)
        RebuildDocumentList();
}

} // namespace velmora
