#include "diary/DiaryEntryList.h"

#include "store/Database.h"
#include "store/Query.h"

#include <cmath>

namespace velmora {

namespace {
const QString kSelectPrefix = QStringLiteral("select * from tr where ");
const QString kOrderLine = QStringLiteral("order by tr.datum");
const QString kReadOnlySuffix = QStringLiteral(" r/o");
// The day a date-time column holds for the number 0.
const QDate kZeroDate(1899, 12, 30);
} // namespace

std::vector<DocumentListItem> DocumentListItems(Database &db, const QString &type) {
    Query q(db, QStringLiteral("select Name, Key1 from OPEN where Type = :Type order by Type, Name, Key1"));
    q.setParam(QStringLiteral("Type"), type);
    q.open();
    std::vector<DocumentListItem> items;
    items.reserve(size_t(q.recordCount()));
    for (q.first(); !q.eof(); q.next())
        items.push_back({q.asString(QStringLiteral("Name")), q.asInt(QStringLiteral("Key1"))});
    return items;
}

QHash<int, QString> PersonNamesOfDocumentList(Database &db) {
    Query q(db, QStringLiteral("select Name, Key1 from OPEN where (Type = 'G') or (Type = 'P')"));
    q.open();
    QHash<int, QString> names;
    for (q.first(); !q.eof(); q.next())
        names.insert(q.asInt(QStringLiteral("Key1")), q.asString(QStringLiteral("Name")));
    return names;
}

int KindWithUnits(int kindCode, int units) { return kindCode - kindCode % 10 + units; }

int KindWithLevel(int kindCode, int tens) { return tens * 10 + kindCode % 10; }

bool EntryIsReadOnly(int autorNr, int user) { return autorNr != user; }

QString CaptionForReadOnly(const QString &caption, bool readOnly) {
    // Only a trailing suffix is ours: a name that merely contains " r/o" must
    // not lose its last characters.
    const bool marked = caption.endsWith(kReadOnlySuffix);
    if (readOnly && !marked)
        return caption + kReadOnlySuffix;
    if (!readOnly && marked)
        return caption.left(caption.size() - kReadOnlySuffix.size());
    return caption;
}

double RelativeFilterDays(const QVariant &stored) {
    if (!stored.isValid() || stored.isNull())
        return 0;
    switch (stored.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return stored.toDouble();
    case QMetaType::QDate:
        return double(kZeroDate.daysTo(stored.toDate()));
    case QMetaType::QDateTime:
        return double(kZeroDate.daysTo(stored.toDateTime().date()));
    default:
        break;
    }
    const QString text = stored.toString().trimmed();
    bool number = false;
    const double days = text.toDouble(&number);
    if (number)
        return days;
    const QDate day = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    return day.isValid() ? double(kZeroDate.daysTo(day)) : 0;
}

QDate RelativeFilterDate(const QDate &today, double days) { return today.addDays(qint64(std::trunc(days))); }

std::optional<FilterChoice> ReadFilterChoice(Database &db, int filterNr, const QDate &today) {
    // Read as stored: a relative filter keeps numbers of days in date-time columns.
    Statement st(db, QStringLiteral("SELECT Art, Relativ, Von, Bis FROM \"FILTER\" WHERE FilterNr = ?"));
    st.bind(1, filterNr);
    if (!st.step())
        return std::nullopt;
    FilterChoice choice;
    choice.filterKey = filterNr;
    choice.kindCode = NormalizedKindCode(st.value(0).toInt());
    const bool relative = st.value(1).toInt() != 0;
    const QVariant von = st.value(2);
    const QVariant bis = st.value(3);
    auto side = [&](const QVariant &v) -> std::optional<QDate> {
        if (!v.isValid() || v.isNull() || v.toString().trimmed().isEmpty())
            return std::nullopt;
        if (relative)
            return RelativeFilterDate(today, RelativeFilterDays(v));
        const QDate day = QDate::fromString(v.toString().left(10), QStringLiteral("yyyy-MM-dd"));
        if (!day.isValid())
            return std::nullopt;
        return day;
    };
    choice.from = side(von);
    choice.to = side(bis);
    return choice;
}

bool LoadFilterLists(Database &db, int filterNr, DiaryQueryInput &in) {
    Query q(db, QStringLiteral("select Autoren, Personen, Formulare from FILTER where FilterNr = :FilterNr"));
    q.setParam(QStringLiteral("FilterNr"), filterNr);
    q.open();
    if (q.recordCount() == 0) {
        in.filterKey = 0;
        return false;
    }
    q.first();
    in.filterKey = filterNr;
    in.autoren = KeyListLines(q.asString(QStringLiteral("Autoren")));
    in.personen = KeyListLines(q.asString(QStringLiteral("Personen")));
    in.formulare = KeyListLines(q.asString(QStringLiteral("Formulare")));
    return true;
}

QString DiaryListCondition(const DiaryQuery &query) {
    QStringList lines;
    for (const QString &l : query.lines)
        if (l != kOrderLine)
            lines << l;
    QString text = lines.join(QLatin1Char('\n'));
    if (text.startsWith(kSelectPrefix, Qt::CaseInsensitive))
        text.remove(0, kSelectPrefix.size());
    return text;
}

DiaryEntryList::DiaryEntryList(Database &db) : m_db(db), m_cursor(db, QStringLiteral("TR")) {
    m_cursor.setOrder(QStringLiteral("Datum"));
    m_cursor.setReadOnly(true);
}

const DiaryQuery &DiaryEntryList::rebuild(const DiaryQueryInput &input) {
    m_cursor.close();
    m_query = BuildDiaryListQuery(input);
    m_condition = DiaryListCondition(m_query);
    m_cursor.setFilter(m_condition);
    m_cursor.setFiltered(true);
    try {
        m_cursor.open();
        m_cursor.last();
    } catch (...) {
        m_cursor.close();
        throw;
    }
    return m_query;
}

bool DiaryEntryList::isAt(int serienNr, int trNr) {
    return m_cursor.asInt(QStringLiteral("SerienNr")) == serienNr && m_cursor.asInt(QStringLiteral("TrNr")) == trNr;
}

int DiaryEntryList::refind(const QDateTime &date, int serienNr, int trNr) {
    m_cursor.close();
    m_cursor.setFilter(QStringLiteral("(%1) and (Datum >= '%2')")
                           .arg(m_condition, date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))));
    int fromDate = 0;
    try {
        m_cursor.open();
        fromDate = m_cursor.recordCount();
        m_cursor.close();
    } catch (...) {
        m_cursor.close();
        m_cursor.setFilter(m_condition);
        throw;
    }
    m_cursor.setFilter(m_condition);
    m_cursor.open();
    const int count = m_cursor.recordCount();
    if (count == 0)
        return -1;
    m_cursor.moveTo(std::max(0, count - 1 - fromDate));
    while (!m_cursor.eof() && !isAt(serienNr, trNr))
        m_cursor.next();
    if (m_cursor.eof()) {
        for (m_cursor.first(); !m_cursor.eof() && !isAt(serienNr, trNr);)
            m_cursor.next();
    }
    if (m_cursor.eof())
        m_cursor.last();
    return m_cursor.recNo();
}

} // namespace velmora
