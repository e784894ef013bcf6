#include "diary/EntryClipboard.h"

#include "diary/TPasteMove.h"
#include "store/Database.h"

#include <QGuiApplication>

namespace velmora::EntryClipboard {

void CopyEntries(CommandHost &main, const std::vector<EntryReference> &entries) {
    main.StartCopyObject(kEntries);
    for (const EntryReference &e : entries)
        main.AddCopyObject(std::make_unique<TTbPrimKeyEntry>(e));
}

std::vector<EntryReference> Entries(const CommandHost &main) {
    std::vector<EntryReference> out;
    const int n = main.PasteObjectCount(kEntries);
    for (int i = 0; i < n; ++i)
        if (auto *e = dynamic_cast<TTbPrimKeyEntry *>(main.GetPasteObject(i)))
            out.push_back(e->key);
    return out;
}

void CopyRows(CommandHost &main, const std::vector<RowReference> &rows) {
    main.StartCopyObject(kRows);
    for (const RowReference &r : rows)
        main.AddCopyObject(std::make_unique<TTbDetailEntry>(r));
}

std::vector<RowReference *> Rows(const CommandHost &main) {
    std::vector<RowReference *> out;
    const int n = main.PasteObjectCount(kRows);
    for (int i = 0; i < n; ++i)
        if (auto *r = dynamic_cast<TTbDetailEntry *>(main.GetPasteObject(i)))
            out.push_back(&r->row);
    return out;
}

bool CanPasteRows(const CommandHost &main, const QString &table) {
    const std::vector<RowReference *> rows = Rows(main);
    return !rows.empty() && !rows.front()->Deleted &&
           Database::plainTableName(rows.front()->TableName)
                   .compare(Database::plainTableName(table), Qt::CaseInsensitive) == 0;
}

void ForgetEntry(CommandHost &main, const EntryReference &entry) {
    for (const int kind : {kEntries, kRows}) {
        const int n = main.PasteObjectCount(kind);
        for (int i = 0; i < n; ++i) {
            CopyObject *object = main.GetPasteObject(i);
            if (auto *e = dynamic_cast<TTbPrimKeyEntry *>(object); e && e->key == entry)
                e->key.Deleted = true;
            else if (auto *r = dynamic_cast<TTbDetailEntry *>(object);
                     r && r->row.SerienNr == entry.SerienNr && r->row.TrNr == entry.TrNr)
                r->row.Deleted = true;
        }
    }
}

std::optional<PasteResult> PasteEntriesCommand(QWidget *parent, Database &db, const CommandHost &main,
                                               const CopyTarget &target) {
    const std::vector<EntryReference> entries = Entries(main);
    if (entries.empty())
        return std::nullopt;
    TPasteMove dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    struct Restore {
        ~Restore() { QGuiApplication::restoreOverrideCursor(); }
    } restore;
    return EntryOperations::PasteEntries(db, target, entries, dialog.Days());
}

} // namespace velmora::EntryClipboard
