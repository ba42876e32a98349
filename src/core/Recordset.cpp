#include "Recordset.h"


#include "Connection.h"
#include "DbError.h"
#include "SqlText.h"
#include "Statement.h"
#include "TextRules.h"

#include <QStringList>
#include <algorithm>
#include <unordered_set>

namespace {

constexpr int BlockSize = 64;

QString noCurrentRow()
{
    return QStringLiteral("BOF 或 EOF 中有一个是“真”，或者当前记录已被删除，所需的操作要求一个当前的记录。");
}

// A table name as the statement wrote it, in double quotes with doubled quotes inside, read back.
QString unquoted(const QString& name)
{
    if (name.size() >= 2
        && name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
        return name.mid(1, name.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return name;
}

} // namespace

Recordset::Recordset(std::shared_ptr<Connection> connection, const BoundSql& statement)
    : Recordset(std::move(connection), statement.text, statement.values)
{
}

Recordset::Recordset(std::shared_ptr<Connection> connection, const QString& statement)
    : Recordset(std::move(connection), statement, QVariantList())
{
}

Recordset::Recordset(std::shared_ptr<Connection> connection, const QString& statement, const QVariantList& values)
    : connection_(std::move(connection)), source_(statement), values_(values)
{
    statement_ = SelectStatement::parse(statement);
    // A server's tables hold the row key as a column of their own, which "*" would show.
    if (statement_.keyed && connection_->isServer() && statement_.selectList.trimmed() == QLatin1String("*")) {
        QStringList names;
        for (const FieldInfo& f : connection_->fields(tableName()))
            names << SqlText::quoteName(f.name);
        statement_.selectList = names.join(QStringLiteral(", "));
    }
    if (statement_.keyed)
        openKeyed();
    else
        openWhole();
    index_ = view().empty() ? -1 : 0;
}

Recordset::~Recordset() = default;

// ---- opening -------------------------------------------------------------------------

void Recordset::openKeyed()
{
    Statement shape(*connection_,
                    QStringLiteral("SELECT %1 FROM %2 WHERE 1 = 0").arg(statement_.selectList, statement_.table));
    QHash<QString, FieldInfo> tableFields;
    for (const FieldInfo& f : connection_->fields(tableName()))
        tableFields.insert(f.name.toLower(), f);
    for (int i = 0; i < shape.columnCount(); ++i) {
        const QString name = shape.columnName(i);
        const QString declared = shape.declaredType(i);
        FieldInfo info = FieldInfo::fromDeclaration(name, declared);
        const auto column = tableFields.constFind(name.toLower());
        if (!declared.isEmpty() && column != tableFields.constEnd()) {
            info.writable = true;
            info.defaultValue = column->defaultValue;
        }
        fieldByName_.insert(name.toLower(), int(fields_.size()));
        fields_.push_back(info);
    }
    loadKeys();
}

void Recordset::openWhole()
{
    Statement query(*connection_, source_);
    bindStatementValues(query);
    // The row keys a server's tables hold as a column are not the statement's fields.
    std::vector<int> shown;
    for (int i = 0; i < query.columnCount(); ++i) {
        if (connection_->isServer() && query.columnName(i) == QLatin1String("rowid"))
            continue;
        fieldByName_.insert(query.columnName(i).toLower(), int(fields_.size()));
        fields_.push_back(FieldInfo::fromDeclaration(query.columnName(i), query.declaredType(i)));
        shown.push_back(i);
    }
    while (query.step()) {
        RowCache::Row row(int(fields_.size()));
        for (int c = 0; c < row.size(); ++c)
            row[c] = fields_[c].fromStored(query.valueAt(shown[c]));
        keys_.push_back(qint64(wholeRows_.size()));
        wholeRows_.push_back(std::move(row));
    }
}

QString Recordset::tableName() const
{
    return unquoted(statement_.table.trimmed());
}

void Recordset::bindStatementValues(Statement& query) const
{
    for (int i = 0; i < values_.size(); ++i)
        query.bind(i + 1, values_[i]);
}

// The condition's own values come after the statement's: its placeholders are moved past them.
std::vector<qint64> Recordset::keysMatching(const FieldTests& tests) const
{
    // The tests' values are bound after the statement's own.
    BoundSql keyQuery{QString(), values_};
    const QString condition = SqlText::condition(keyQuery, tests);
    Statement query(*connection_, statement_.keyQuery(condition));
    for (int i = 0; i < keyQuery.values.size(); ++i)
        query.bind(i + 1, keyQuery.values[i]);
    std::vector<qint64> keys;
    while (query.step())
        keys.push_back(query.int64At(0));
    return keys;
}

void Recordset::loadKeys()
{
    keys_ = keysMatching(FieldTests());
    cache_.clear();
    indexOfKey_.clear();
    cacheVersion_ = connection_->dataVersion();
}

// ---- reading values ------------------------------------------------------------------

const FieldInfo& Recordset::field(int column) const
{
    if (column < 0 || column >= fieldCount())
        throw DbError(QStringLiteral("在对应所需名称或序数的集合中，未找到项目（第 %1 列）。").arg(column));
    return fields_[column];
}

int Recordset::fieldIndex(const QString& name) const
{
    return fieldByName_.value(name.toLower(), -1);
}

static int requireField(const Recordset& rs, const QString& name)
{
    const int column = rs.fieldIndex(name);
    if (column < 0)
        throw DbError(QStringLiteral("在对应所需名称或序数的集合中，未找到项目“%1”。").arg(name));
    return column;
}

void Recordset::refreshCacheVersion() const
{
    if (cacheVersion_ != connection_->dataVersion()) {
        cache_.clear();
        cacheVersion_ = connection_->dataVersion();
    }
}

void Recordset::readRows(Statement& query, std::unordered_map<qint64, RowCache::Row>& found) const
{
    while (query.step()) {
        RowCache::Row values(fieldCount());
        for (int c = 0; c < values.size(); ++c)
            values[c] = fields_[c].fromStored(query.valueAt(c + 1));
        found.emplace(query.int64At(0), std::move(values));
    }
    query.reset();
}

// Reading rows one after another (a grid being painted or scrolled) loads them a block at
// a time; reading here and there loads just the row asked for.
void Recordset::loadRows(int row) const
{
    const std::vector<qint64>& keys = view();
    const bool sequential = row == nextSequentialRow_;
    const int last = sequential ? std::min<int>(int(keys.size()), row + BlockSize) : row + 1;
    std::unordered_map<qint64, RowCache::Row> found;
    if (sequential) {
        if (!blockQuery_) {
            QStringList placeholders;
            for (int i = 0; i < BlockSize; ++i)
                placeholders << QStringLiteral("?");
            blockQuery_ = std::make_unique<Statement>(
                *connection_, QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid IN (%3)")
                                           .arg(statement_.selectList, statement_.table, placeholders.join(QLatin1Char(','))));
        }
        for (int i = 0; i < BlockSize; ++i)
            blockQuery_->bind(i + 1, row + i < last ? QVariant(keys[row + i]) : QVariant());
        readRows(*blockQuery_, found);
    } else {
        if (!rowQuery_)
            rowQuery_ = std::make_unique<Statement>(
                *connection_,
                QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid = ?").arg(statement_.selectList, statement_.table));
        rowQuery_->bindInt64(1, keys[row]);
        readRows(*rowQuery_, found);
    }
    std::vector<std::pair<qint64, RowCache::Row>> rows;
    rows.reserve(last - row);
    for (int i = row; i < last; ++i) {
        auto it = found.find(keys[i]);
        // A row deleted meanwhile through another recordset reads as empty.
        rows.emplace_back(keys[i], it != found.end() ? std::move(it->second) : RowCache::Row(fieldCount()));
    }
    cache_.insertBlock(std::move(rows));
    nextSequentialRow_ = last;
}

RowCache::Row Recordset::rowAt(int row) const
{
    const qint64 key = view().at(row);
    if (!statement_.keyed)
        return wholeRows_.at(key);
    refreshCacheVersion();
    if (const RowCache::Row* cached = cache_.find(key))
        return *cached;
    loadRows(row);
    if (const RowCache::Row* cached = cache_.find(key))
        return *cached;
    return RowCache::Row(fieldCount());
}

QVariant Recordset::value(int column) const
{
    field(column);
    if (editBuffer_.contains(column))
        return fields_[column].fromStored(editBuffer_.value(column));
    if (editMode_ == EditMode::Adding)
        return fields_[column].defaultValue;
    requireCurrentRow();
    return rowAt(index_).at(column);
}

QVariant Recordset::value(const QString& name) const
{
    return value(requireField(*this, name));
}

QString Recordset::text(int column) const
{
    return TextRules::joinedText(value(column));
}

QString Recordset::text(const QString& name) const
{
    return text(requireField(*this, name));
}

QVariant Recordset::valueAt(int row, int column) const
{
    field(column);
    if (row < 0 || row >= recordCount())
        return QVariant();
    if (row == index_ && editBuffer_.contains(column) && editMode_ == EditMode::Editing)
        return fields_[column].fromStored(editBuffer_.value(column));
    return rowAt(row).at(column);
}

QList<QVariant> Recordset::columnValues(int column) const
{
    const FieldInfo& info = field(column);
    QList<QVariant> values;
    values.reserve(recordCount());
    if (!statement_.keyed || !info.writable) {
        for (int row = 0; row < recordCount(); ++row)
            values << valueAt(row, column);
        return values;
    }
    QString sql = QStringLiteral("SELECT rowid, %1 FROM %2").arg(SqlText::quoteName(info.name), statement_.table);
    if (!statement_.where.isEmpty())
        sql += QStringLiteral(" WHERE ") + statement_.where;
    Statement query(*connection_, sql);
    bindStatementValues(query);
    std::unordered_map<qint64, QVariant> byKey;
    byKey.reserve(keys_.size());
    while (query.step())
        byKey.emplace(query.int64At(0), info.fromStored(query.valueAt(1)));
    for (qint64 key : view()) {
        const auto it = byKey.find(key);
        values << (it != byKey.end() ? it->second : QVariant());
    }
    return values;
}

// ---- position ------------------------------------------------------------------------

bool Recordset::isBOF() const
{
    if (editMode_ == EditMode::Adding)
        return false;
    return view().empty() || index_ < 0;
}

bool Recordset::isEOF() const
{
    if (editMode_ == EditMode::Adding)
        return false;
    return view().empty() || index_ >= int(view().size());
}

bool Recordset::hasCurrentRow() const
{
    return editMode_ == EditMode::Adding
        || (!currentDeleted_ && index_ >= 0 && index_ < int(view().size()));
}

void Recordset::requireCurrentRow() const
{
    if (!hasCurrentRow())
        throw DbError(noCurrentRow());
}

int Recordset::currentRow() const
{
    return (index_ >= 0 && index_ < recordCount() && editMode_ != EditMode::Adding) ? index_ : -1;
}

int Recordset::absolutePosition() const
{
    if (view().empty() || editMode_ == EditMode::Adding)
        return PosUnknown;
    if (index_ < 0)
        return PosBOF;
    if (index_ >= recordCount())
        return PosEOF;
    return index_ + 1;
}

void Recordset::finishPendingEdit()
{
    if (editMode_ != EditMode::None)
        update();
}

void Recordset::moveTo(int index)
{
    finishPendingEdit();
    index_ = std::clamp(index, -1, recordCount());
    if (view().empty())
        index_ = -1;
    currentDeleted_ = false;
    emit currentRowChanged();
}

void Recordset::setAbsolutePosition(int position)
{
    moveTo(position < 1 ? -1 : position - 1);
}

void Recordset::moveFirst()
{
    moveTo(0);
}

void Recordset::moveLast()
{
    moveTo(recordCount() - 1);
}

void Recordset::moveNext()
{
    // After a delete the following row has slid into the deleted row's place.
    moveTo(currentDeleted_ ? index_ : index_ + 1);
}

void Recordset::movePrevious()
{
    moveTo(index_ - 1);
}

Recordset::Bookmark Recordset::bookmark() const
{
    if (editMode_ == EditMode::Adding)
        throw DbError(noCurrentRow());
    requireCurrentRow();
    return view()[index_];
}

void Recordset::setBookmark(Bookmark bookmark)
{
    const std::vector<qint64>& keys = view();
    if (indexOfKey_.size() != keys.size()) {
        indexOfKey_.clear();
        for (int i = 0; i < int(keys.size()); ++i)
            indexOfKey_.emplace(keys[i], i);
    }
    const auto it = indexOfKey_.find(bookmark);
    if (it == indexOfKey_.end())
        throw DbError(QStringLiteral("书签无效，该记录已不在记录集中。"));
    moveTo(it->second);
}

// ---- changes -------------------------------------------------------------------------

void Recordset::requireWritable() const
{
    if (!statement_.keyed)
        throw DbError(QStringLiteral("当前记录集不支持更新。"));
}

void Recordset::setValue(int column, const QVariant& value)
{
    requireWritable();
    const FieldInfo& info = field(column);
    if (!info.writable)
        throw DbError(QStringLiteral("字段“%1”不能更新。").arg(info.name));
    requireCurrentRow();
    const QVariant stored = info.toStored(value);
    if (editMode_ == EditMode::None) {
        takeSnapshot();
        editMode_ = EditMode::Editing;
    }
    editBuffer_.insert(column, stored);
}

void Recordset::setValue(const QString& name, const QVariant& value)
{
    setValue(requireField(*this, name), value);
}

void Recordset::addNew()
{
    requireWritable();
    finishPendingEdit();
    indexBeforeAdd_ = index_;
    editMode_ = EditMode::Adding;
    editBuffer_.clear();
    currentDeleted_ = false;
    emit currentRowChanged();
}

// The row's stored values as an edit starts, read from the store itself: the update
// is refused when the row no longer holds them.
void Recordset::takeSnapshot()
{
    snapshot_.clear();
    snapshotFound_ = false;
    QStringList names;
    for (const FieldInfo& info : fields_)
        if (info.writable)
            names << SqlText::quoteName(info.name);
    if (names.isEmpty())
        return;
    Statement query(*connection_, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                               .arg(names.join(QStringLiteral(", ")), statement_.table));
    query.bindInt64(1, view()[index_]);
    if (!query.step())
        return;
    snapshotFound_ = true;
    for (int i = 0; i < names.size(); ++i)
        snapshot_ << query.valueAt(i);
}

void Recordset::storeEditThroughWriter()
{
    RowWriter::Values changes;
    for (auto it = editBuffer_.constBegin(); it != editBuffer_.constEnd(); ++it)
        changes.insert(fields_[it.key()].name, it.value());
    RowWriter::Values expected;
    int slot = 0;
    for (const FieldInfo& info : fields_)
        if (info.writable)
            expected.insert(info.name, snapshot_.value(slot++));
    snapshotConflict_ = !snapshotFound_ || !writer_->updateRow(view()[index_], changes, expected);
    if (snapshotConflict_)
        throw DbError::of(StoreFailure::RowChanged);
}

void Recordset::storeEdit()
{
    if (writer_) {
        storeEditThroughWriter();
        return;
    }
    snapshotConflict_ = !snapshotFound_;
    if (snapshotConflict_)
        throw DbError::of(StoreFailure::RowChanged);
    QStringList assignments;
    QList<QVariant> values;
    for (auto it = editBuffer_.constBegin(); it != editBuffer_.constEnd(); ++it) {
        assignments << SqlText::quoteName(fields_[it.key()].name) + QStringLiteral(" = ?");
        values << it.value();
    }
    QStringList unchanged;
    for (const FieldInfo& info : fields_)
        if (info.writable)
            unchanged << SqlText::quoteName(info.name) + QStringLiteral(" IS NOT DISTINCT FROM ?");
    QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                      .arg(statement_.table, assignments.join(QStringLiteral(", ")));
    if (!unchanged.isEmpty())
        sql += QStringLiteral(" AND ") + unchanged.join(QStringLiteral(" AND "));
    Statement statement(*connection_, sql);
    int slot = 1;
    for (const QVariant& v : values)
        statement.bind(slot++, v);
    statement.bindInt64(slot++, view()[index_]);
    for (const QVariant& v : snapshot_)
        statement.bind(slot++, v);
    statement.step();
    snapshotConflict_ = connection_->changes() == 0;
    if (snapshotConflict_)
        throw DbError::of(StoreFailure::RowChanged);
    connection_->noteWrite();
}

void Recordset::storeNewRow()
{
    qint64 key = 0;
    if (writer_) {
        RowWriter::Values values;
        for (auto it = editBuffer_.constBegin(); it != editBuffer_.constEnd(); ++it)
            values.insert(fields_[it.key()].name, it.value());
        key = writer_->insertRow(values);
    } else {
        key = insertRow();
    }
    keys_.push_back(key);
    if (filtered_)
        filtered_->push_back(key);
    indexOfKey_.clear();
    index_ = recordCount() - 1;
}

qint64 Recordset::insertRow()
{
    QStringList names;
    QList<QVariant> values;
    for (auto it = editBuffer_.constBegin(); it != editBuffer_.constEnd(); ++it) {
        names << SqlText::quoteName(fields_[it.key()].name);
        values << it.value();
    }
    return connection_->insertRow(tableName(), names, values);
}

void Recordset::update()
{
    if (editMode_ == EditMode::None)
        return;
    const bool adding = editMode_ == EditMode::Adding;
    if (adding) {
        storeNewRow();
    } else if (!editBuffer_.isEmpty()) {
        try {
            storeEdit();
        } catch (const DbError&) {
            // An edit of a row that is gone or was changed meanwhile can never be stored:
            // it is dropped, so the recordset is free to move on and show the row as it is.
            if (snapshotConflict_) {
                editMode_ = EditMode::None;
                editBuffer_.clear();
                emit rowValuesChanged(index_);
            }
            throw;
        }
    }
    editMode_ = EditMode::None;
    editBuffer_.clear();
    if (adding) {
        emit rowsReset();
        emit currentRowChanged();
    } else {
        emit rowValuesChanged(index_);
    }
}

void Recordset::cancelUpdate()
{
    if (editMode_ == EditMode::None)
        return;
    const bool adding = editMode_ == EditMode::Adding;
    editMode_ = EditMode::None;
    editBuffer_.clear();
    if (adding) {
        // Back to the row that was current before the new row was started.
        index_ = std::clamp(indexBeforeAdd_, -1, recordCount());
        emit currentRowChanged();
    } else {
        emit rowValuesChanged(index_);
    }
}

void Recordset::deleteCurrent()
{
    requireWritable();
    if (editMode_ == EditMode::Adding) {
        cancelUpdate();
        return;
    }
    requireCurrentRow();
    editMode_ = EditMode::None;
    editBuffer_.clear();
    const qint64 key = view()[index_];
    if (writer_) {
        writer_->deleteRow(key);
    } else {
        Statement statement(*connection_, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(statement_.table));
        statement.bindInt64(1, key);
        statement.step();
        if (connection_->changes() == 0)
            throw DbError(QStringLiteral("该记录已被其他操作删除。"), StoreFailure::RowChanged);
        connection_->noteWrite();
    }
    keys_.erase(std::find(keys_.begin(), keys_.end(), key));
    if (filtered_)
        filtered_->erase(std::find(filtered_->begin(), filtered_->end(), key));
    indexOfKey_.clear();
    cache_.remove(key);
    currentDeleted_ = true;
    emit rowsReset();
}

// ---- searching -----------------------------------------------------------------------

void Recordset::find(const FieldTests& tests)
{
    if (!statement_.keyed)
        throw DbError(QStringLiteral("当前记录集不支持查找。"));
    finishPendingEdit();
    const std::vector<qint64> matches = keysMatching(tests);
    const std::unordered_set<qint64> wanted(matches.begin(), matches.end());
    const std::vector<qint64>& keys = view();
    int start = std::max(index_, 0);
    for (int i = start; i < int(keys.size()); ++i) {
        if (wanted.count(keys[i])) {
            moveTo(i);
            return;
        }
    }
    moveTo(recordCount());
}

void Recordset::applyFilter()
{
    indexOfKey_.clear();
    if (filter_.isEmpty()) {
        filtered_.reset();
        return;
    }
    if (!statement_.keyed)
        throw DbError(QStringLiteral("当前记录集不支持筛选。"));
    const std::vector<qint64> matches = keysMatching(filter_);
    const std::unordered_set<qint64> wanted(matches.begin(), matches.end());
    std::vector<qint64> kept;
    for (qint64 key : keys_)
        if (wanted.count(key))
            kept.push_back(key);
    filtered_ = std::move(kept);
}

void Recordset::setFilter(const FieldTests& tests)
{
    finishPendingEdit();
    const FieldTests previous = filter_;
    filter_ = tests;
    try {
        applyFilter();
    } catch (const DbError&) {
        filter_ = previous;
        applyFilter();
        throw;
    }
    index_ = view().empty() ? -1 : 0;
    currentDeleted_ = false;
    emit rowsReset();
    emit currentRowChanged();
}

void Recordset::requery()
{
    finishPendingEdit();
    if (statement_.keyed) {
        loadKeys();
    } else {
        keys_.clear();
        wholeRows_.clear();
        fields_.clear();
        fieldByName_.clear();
        openWhole();
    }
    applyFilter();
    index_ = view().empty() ? -1 : 0;
    currentDeleted_ = false;
    emit rowsReset();
    emit currentRowChanged();
}

void Recordset::reread()
{
    cache_.clear();
    cacheVersion_ = connection_->dataVersion();
    emit rowValuesChanged(currentRow());
}

// ---- pages ---------------------------------------------------------------------------

void Recordset::setPageSize(int size)
{
    if (size < 1)
        throw DbError(QStringLiteral("每页记录数必须大于 0。"));
    pageSize_ = size;
}

int Recordset::pageCount() const
{
    return (recordCount() + pageSize_ - 1) / pageSize_;
}

int Recordset::absolutePage() const
{
    const int position = absolutePosition();
    if (position < 1)
        return position;
    return (position - 1) / pageSize_ + 1;
}

void Recordset::setAbsolutePage(int page)
{
    if (page < 1 || page > pageCount())
        throw DbError(QStringLiteral("页码 %1 超出范围。").arg(page));
    moveTo((page - 1) * pageSize_);
}
