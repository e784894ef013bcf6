#include "evaluation/EvaluationWizardRules.h"

#include "base/Errors.h"
#include "evaluation/EvaluationFieldRules.h"
#include "store/Cursor.h"
#include "store/Database.h"
#include "store/Query.h"

#include <QStringList>

namespace velmora {

namespace {
const QString kAField = QStringLiteral("AFIELD");
const QString kAuswertungNr = QStringLiteral("AuswertungNr");
} // namespace

const QString &EvaluationWizardRules::axisCaption(int index) {
    static const QStringList captions{QStringLiteral("&keine (Eingabereihenfolge)"),
                                      QStringLiteral("&Datum"),
                                      QStringLiteral("W&oche"),
                                      QStringLiteral("&Monat"),
                                      QStringLiteral("&Jahr"),
                                      QStringLiteral("&Vor- u. Nachname"),
                                      QStringLiteral("&anderes Feld")};
    static const QString none;
    return index >= 0 && index < captions.size() ? captions[index] : none;
}

std::optional<EvaluationWizardRules::AxisField> EvaluationWizardRules::axisField(int index) {
    switch (index) {
    case AxisDatum:
        return AxisField{QStringLiteral("Datum"), 0, QString()};
    case AxisWoche:
        return AxisField{QStringLiteral("Woche"), 0,
                         QStringLiteral("EXTRACT(YEAR FROM tr.Datum)*100 + cast(tr.Woche as Integer)")};
    case AxisMonat:
        return AxisField{QStringLiteral("Monat"), 0,
                         QStringLiteral("EXTRACT(YEAR FROM tr.Datum)*100 + EXTRACT(MONTH FROM tr.Datum)")};
    case AxisJahr:
        return AxisField{QStringLiteral("Jahr"), 0, QStringLiteral("EXTRACT(YEAR FROM tr.Datum)")};
    case AxisPerson:
        return AxisField{QStringLiteral("Person"), -1,
                         QStringLiteral("Person.Nachname+\" \"+Person.Vorname as Person")};
    default:
        return std::nullopt;
    }
}

QString EvaluationWizardRules::axisDisplay(const QString &typ, const QString &name, bool grouped) {
    const QString shown = grouped ? (QStringLiteral("group ") + name).left(16) : name;
    return typ + QStringLiteral(": ") + shown;
}

QString EvaluationWizardRules::axisBedingung(const QString &typ, const QString &expression) {
    return typ + QStringLiteral("-Achse\r") + expression;
}

void EvaluationWizardRules::deleteAxisFields(Database &db, int auswertungNr, const QString &typ) {
    db.execLocal(QStringLiteral("delete from AFIELD where (AuswertungNr = :AuswertungNr) and (Typ = :Typ)"),
                 {{kAuswertungNr, auswertungNr}, {QStringLiteral("Typ"), typ}});
}

int EvaluationWizardRules::fieldCount(Database &db, int auswertungNr, const QString &typ) {
    Query q(db, QStringLiteral("select count(*) from AFIELD where (AuswertungNr = :AuswertungNr) and (Typ = :Typ)"));
    q.setParam(kAuswertungNr, auswertungNr);
    q.setParam(QStringLiteral("Typ"), typ);
    q.open();
    return q.value(0).toInt();
}

int EvaluationWizardRules::writeAxisChoice(Database &db, int auswertungNr, const QString &typ, int index,
                                           bool grouping) {
    Transaction tx(db);
    deleteAxisFields(db, auswertungNr, typ);
    int feldNr = 0;
    if (const std::optional<AxisField> def = axisField(index)) {
        feldNr = EvaluationFieldRules::nextFieldNumber(db, auswertungNr);
        Cursor c(db, kAField);
        c.open();
        c.append();
        c.setValue(kAuswertungNr, auswertungNr);
        c.setValue(QStringLiteral("FeldNr"), feldNr);
        c.setValue(QStringLiteral("Name"), def->name);
        c.setValue(QStringLiteral("Typ"), typ);
        c.setValue(QStringLiteral("TableNr"), def->tableNr);
        c.setValue(QStringLiteral("Order"), 1);
        c.setValue(QStringLiteral("Agregatfunktion"), 0);
        // The builder selects shown fields only, and the axes must be among them.
        c.setValue(QStringLiteral("Sichtbar"), true);
        c.setValue(QStringLiteral("Gruppierung"), grouping);
        c.setValue(QStringLiteral("SQL"), !def->expression.isEmpty());
        c.setValue(QStringLiteral("Bedingung"),
                   def->expression.isEmpty() ? QString() : axisBedingung(typ, def->expression));
        c.setValue(QStringLiteral("Display"), axisDisplay(typ, def->name, grouping));
        c.post();
    }
    tx.commit();
    return feldNr;
}

void EvaluationWizardRules::storeBlocks(Database &db, int auswertungNr, const QList<int> &listed,
                                        const QList<int> &chosen) {
    Transaction tx(db);
    for (int tableNr : listed) {
        const QVariantMap keys{{kAuswertungNr, auswertungNr}, {QStringLiteral("TableNr"), tableNr}};
        db.execLocal(QStringLiteral("delete from ATABLE where (AuswertungNr = :AuswertungNr) and (TableNr = :TableNr)"),
                     keys);
        if (chosen.contains(tableNr))
            db.execLocal(QStringLiteral("insert into ATABLE (AuswertungNr, TableNr) values (:AuswertungNr, :TableNr)"),
                         keys);
    }
    tx.commit();
}

QList<int> EvaluationWizardRules::chosenBlocks(Database &db, int auswertungNr) {
    Query q(db, QStringLiteral("select distinct TableNr from ATABLE where AuswertungNr = :AuswertungNr"));
    q.setParam(kAuswertungNr, auswertungNr);
    q.open();
    QList<int> out;
    for (q.first(); !q.eof(); q.next())
        out << q.value(0).toInt();
    return out;
}

QStringList EvaluationWizardRules::selectEntries() {
    return {QStringLiteral("nur von mir"), QStringLiteral("von meiner Gruppe"), QStringLiteral("von meinem Trainer"),
            QStringLiteral("von allen")};
}

QString EvaluationWizardRules::documentFilter(int choice, bool plan, int user, int group) {
    const QString u = QString::number(user), g = QString::number(group);
    if (plan) {
        switch (choice) {
        case OnlyMine:
        case MyGroup:
            return QStringLiteral("(Type = 'G') AND (Gruppe = ") + g + QStringLiteral(")");
        case MyCoach:
            return QStringLiteral("(Type = 'G') AND (Trainer = ") + u + QStringLiteral(")");
        default:
            return QStringLiteral("(Type = 'G') AND (Gruppe > 1)");
        }
    }
    switch (choice) {
    case OnlyMine:
        return QStringLiteral("(Type = 'P') AND (Key1 = ") + u + QStringLiteral(")");
    case MyGroup:
        return QStringLiteral("(Type = 'P') AND (Gruppe = ") + g + QStringLiteral(")");
    case MyCoach:
        return QStringLiteral("(Type = 'P') AND (Trainer = ") + u + QStringLiteral(")");
    default:
        return QStringLiteral("(Type = 'P') AND (Gruppe > 1)");
    }
}

} // namespace velmora
