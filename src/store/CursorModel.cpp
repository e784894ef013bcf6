#include "store/CursorModel.h"

#include "base/Messages.h"
#include "store/Values.h"

namespace velmora {

namespace {
// Widths in characters for fields that have none of their own.
int naturalWidth(const FieldDef &f) {
    switch (f.type) {
    case FieldType::Alpha:
        return f.size > 0 ? f.size : 20;
    case FieldType::Short:
        return 6;
    case FieldType::Long:
    case FieldType::AutoInc:
        return 11;
    case FieldType::Number:
    case FieldType::Money:
        return 12;
    case FieldType::Logical:
        return 4;
    case FieldType::Date:
        return 10;
    case FieldType::Time:
        return 8;
    case FieldType::Timestamp:
        return 19;
    default:
        return 20;
    }
}

// The grid shows one line per row, so line breaks of memos become blanks.
QString cellText(const QVariant &v, const FieldDef &f) {
    if (isBlobType(f.type))
        return v.isNull() || !v.isValid() ? QString() : QStringLiteral("(BLOB)");
    QString text = displayText(v, f.type);
    if (f.type == FieldType::Memo || f.type == FieldType::FmtMemo) {
        text.replace(QLatin1String("\r\n"), QLatin1String(" "));
        text.replace(QLatin1Char('\r'), QLatin1Char(' '));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    return text;
}

constexpr int kCacheLimit = 2000;
} // namespace

CursorModel::CursorModel(Cursor *cursor, QObject *parent) : QAbstractTableModel(parent), m_cursor(cursor) {
    if (m_cursor) {
        connect(m_cursor, &Cursor::rowsChanged, this, &CursorModel::cursorRowsChanged);
        connect(m_cursor, &Cursor::closed, this, &CursorModel::cursorRowsChanged);
        connect(m_cursor, &Cursor::scrolled, this, &CursorModel::cursorScrolled);
        connect(m_cursor, &QObject::destroyed, this, &CursorModel::cursorRowsChanged);
    }
    rebuild();
}

void CursorModel::setColumns(const std::vector<Column> &columns) {
    beginResetModel();
    m_columns = columns;
    rebuild();
    endResetModel();
}

CursorModel::Column *CursorModel::findColumn(const QString &field) {
    for (Column &c : m_columns)
        if (c.field.compare(field, Qt::CaseInsensitive) == 0)
            return &c;
    // Without a list every field shows; the first setting starts one.
    if (m_columns.empty() && m_cursor && m_cursor->isOpen()) {
        for (const FieldDef &f : m_cursor->fields())
            m_columns.push_back(Column{f.name, {}, 0, false, false});
        return findColumn(field);
    }
    m_columns.push_back(Column{field, {}, 0, false, false});
    return &m_columns.back();
}

void CursorModel::setFieldHidden(const QString &field, bool hidden) {
    beginResetModel();
    findColumn(field)->hidden = hidden;
    rebuild();
    endResetModel();
}

void CursorModel::setFieldReadOnly(const QString &field, bool readOnly) {
    findColumn(field)->readOnly = readOnly;
    for (Visible &v : m_visible)
        if (v.column.field.compare(field, Qt::CaseInsensitive) == 0)
            v.column.readOnly = readOnly;
}

void CursorModel::setFieldTitle(const QString &field, const QString &title) {
    findColumn(field)->title = title;
    for (size_t i = 0; i < m_visible.size(); ++i)
        if (m_visible[i].column.field.compare(field, Qt::CaseInsensitive) == 0) {
            m_visible[i].column.title = title;
            Q_EMIT headerDataChanged(Qt::Horizontal, int(i), int(i));
        }
}

void CursorModel::setFieldDisplayWidth(const QString &field, int characters) {
    findColumn(field)->displayWidth = characters;
    for (Visible &v : m_visible)
        if (v.column.field.compare(field, Qt::CaseInsensitive) == 0)
            v.column.displayWidth = characters;
}

void CursorModel::rebuild() {
    m_cache.clear();
    m_visible.clear();
    m_rowCount = 0;
    if (!m_cursor || !m_cursor->isOpen())
        return;
    m_generation = m_cursor->generation();
    const FieldDefs &defs = m_cursor->fields();
    if (m_columns.empty()) {
        for (size_t i = 0; i < defs.size(); ++i)
            m_visible.push_back(Visible{int(i), defs[i], Column{defs[i].name, {}, 0, false, false}});
    } else {
        for (const Column &c : m_columns) {
            if (c.hidden || !m_cursor->hasField(c.field))
                continue;
            const int fi = m_cursor->fieldIndex(c.field);
            m_visible.push_back(Visible{fi, defs[size_t(fi)], c});
        }
    }
    try {
        m_rowCount = m_cursor->recordCount();
    } catch (const VelmoraError &e) {
        m_rowCount = 0;
        Messages::error(e.message());
    }
}

void CursorModel::cursorRowsChanged() {
    beginResetModel();
    rebuild();
    endResetModel();
}

void CursorModel::cursorScrolled() {
    // Range, filter and master changes re-read the set without a signal of
    // their own; the generation tells.
    if (!m_cursor || !m_cursor->isOpen() || m_cursor->generation() != m_generation)
        cursorRowsChanged();
    Q_EMIT currentRowChanged(currentRow());
}

QString CursorModel::fieldName(int column) const {
    if (column < 0 || column >= int(m_visible.size()))
        return {};
    return m_visible[size_t(column)].def.name;
}

int CursorModel::columnOfField(const QString &field) const {
    for (size_t i = 0; i < m_visible.size(); ++i)
        if (m_visible[i].def.name.compare(field, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

int CursorModel::displayWidth(int column) const {
    if (column < 0 || column >= int(m_visible.size()))
        return 0;
    const Visible &v = m_visible[size_t(column)];
    return v.column.displayWidth > 0 ? v.column.displayWidth : naturalWidth(v.def);
}

int CursorModel::currentRow() const {
    if (!m_cursor || !m_cursor->isOpen())
        return -1;
    const int row = m_cursor->recNo();
    return row < m_rowCount ? row : -1;
}

void CursorModel::setCurrentRow(int row) {
    if (!m_cursor || !m_cursor->isOpen() || row < 0 || row >= m_rowCount || row == m_cursor->recNo())
        return;
    try {
        m_cursor->moveTo(row);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        Q_EMIT editFailed(e.message(), e.control());
        // Puts the view back on the row the cursor stayed on.
        Q_EMIT currentRowChanged(currentRow());
    }
}

int CursorModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int CursorModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_visible.size());
}

const std::vector<QVariant> &CursorModel::rowValues(int row) const {
    auto it = m_cache.constFind(row);
    if (it != m_cache.constEnd())
        return *it;
    if (m_cache.size() >= kCacheLimit)
        m_cache.clear();
    return *m_cache.insert(row, m_cursor->rowAt(row));
}

QVariant CursorModel::cellValue(int row, int column) const {
    const Visible &v = m_visible[size_t(column)];
    // The row being edited shows what has been typed so far.
    if (m_cursor->state() == Cursor::State::Edit && row == m_cursor->recNo())
        return m_cursor->value(v.fieldIndex);
    const std::vector<QVariant> &values = rowValues(row);
    return size_t(v.fieldIndex) < values.size() ? values[size_t(v.fieldIndex)] : QVariant();
}

QVariant CursorModel::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || !m_cursor || !m_cursor->isOpen())
        return {};
    const Visible &v = m_visible[size_t(index.column())];
    try {
        switch (role) {
        case Qt::DisplayRole:
            return cellText(cellValue(index.row(), index.column()), v.def);
        case Qt::EditRole:
            return cellValue(index.row(), index.column());
        case Qt::TextAlignmentRole:
            if (isIntegerType(v.def.type) && v.def.type != FieldType::Logical)
                return QVariant(Qt::AlignRight | Qt::AlignVCenter);
            if (isFloatType(v.def.type))
                return QVariant(Qt::AlignRight | Qt::AlignVCenter);
            return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
        }
    } catch (const VelmoraError &) {
        // A row that vanished under the view shows empty until the next re-read.
        return {};
    }
}

bool CursorModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid) ||
        !(flags(index) & Qt::ItemIsEditable))
        return false;
    const int fieldIndex = m_visible[size_t(index.column())].fieldIndex;
    try {
        if (m_cursor->recNo() != index.row())
            m_cursor->moveTo(index.row());
        m_cursor->edit();
        m_cursor->setValue(fieldIndex, value);
        // The post re-reads the set and resets the model.
        m_cursor->post();
        return true;
    } catch (const VelmoraError &e) {
        m_cursor->cancel();
        Messages::error(e.message());
        Q_EMIT editFailed(e.message(), e.control());
        return false;
    }
}

QVariant CursorModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section >= 0 && section < m_rowCount ? QVariant(section + 1) : QVariant();
    if (section < 0 || section >= int(m_visible.size()))
        return {};
    const Visible &v = m_visible[size_t(section)];
    return v.column.title.isEmpty() ? v.def.name : v.column.title;
}

Qt::ItemFlags CursorModel::flags(const QModelIndex &index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    const Visible &v = m_visible[size_t(index.column())];
    if (m_cursor && m_cursor->isOpen() && !v.column.readOnly && !m_cursor->isReadOnly() &&
        !m_cursor->database().isReadOnly() && !isBlobType(v.def.type))
        f |= Qt::ItemIsEditable;
    return f;
}

} // namespace velmora
