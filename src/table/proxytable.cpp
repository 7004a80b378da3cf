// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "table/proxytable.h"

#include "platform/texts.h"

#include <ext/pb_ds/assoc_container.hpp>
#include <ext/pb_ds/tree_policy.hpp>
#include <vector>

namespace vorin {

std::size_t fieldSize(Field field)
{
    static constexpr std::size_t sizes[kFieldCount] = {50, 8, 10, 40, 0, 0};
    return sizes[static_cast<int>(field)];
}

const std::string& fieldName(Field field)
{
    const Texts& t = texts();
    switch (field) {
    case Field::Ip:
        return t.fieldIp;
    case Field::Port:
        return t.fieldPort;
    case Field::Protocol:
        return t.fieldProtocol;
    case Field::Location:
        return t.fieldLocation;
    case Field::Valid:
        return t.fieldValid;
    case Field::Speed:
        break;
    }
    return t.fieldSpeed;
}

std::optional<Field> fieldByName(std::string_view gbkName)
{
    for (int i = 0; i < kFieldCount; ++i) {
        if (fieldName(static_cast<Field>(i)) == gbkName)
            return static_cast<Field>(i);
    }
    return std::nullopt;
}

std::string ProxyRecord::text(Field f) const
{
    if (!has(f))
        return {};
    switch (f) {
    case Field::Valid:
        return valid ? "True" : "False";
    case Field::Speed:
        return std::to_string(speed);
    default:
        return texts[static_cast<int>(f)];
    }
}

bool ProxyRecord::boolean(Field f) const
{
    if (!has(f))
        return false;
    if (f == Field::Valid)
        return valid;
    if (f == Field::Speed)
        return speed != 0;
    return texts[static_cast<int>(f)] == "True";
}

// A stored row with the key it is ordered by. The key is computed when the row is posted or the sort field
// changes, never during a comparison, so the tree only ever compares keys that are in it.
struct ProxyTable::Row {
    ProxyRecord rec;
    std::uint64_t seq = 0; // order of adding; breaks ties so equal keys stay in that order
    bool keySet = false;   // unset values sort before all set ones
    std::int64_t keyNum = 0;
    std::string keyBytes; // collation sort key of a text field
};

namespace {

// What the tree holds per row: the key by value, with the first 16 bytes of a text key packed big-endian,
// so that almost every comparison is decided inside the tree node without touching the row (at 100,000
// rows the walk is bound by cache misses, not by comparisons).
template <typename Row> struct OrderKey {
    bool set;
    std::int64_t num;
    std::uint64_t p0;
    std::uint64_t p1;
    std::uint64_t seq;
    Row* row;
};

struct KeyLess {
    template <typename K> bool operator()(const K& a, const K& b) const
    {
        if (a.set != b.set)
            return !a.set;
        if (a.num != b.num)
            return a.num < b.num;
        if (a.p0 != b.p0)
            return a.p0 < b.p0;
        if (a.p1 != b.p1)
            return a.p1 < b.p1;
        // Sort keys hold no zero bytes, so equal prefixes of keys of at most 16 bytes mean equal keys.
        if (a.row != b.row && (a.row->keyBytes.size() > 16 || b.row->keyBytes.size() > 16)) {
            if (int c = a.row->keyBytes.compare(b.row->keyBytes); c != 0)
                return c < 0;
        }
        return a.seq < b.seq;
    }
};

std::uint64_t packPrefix(const std::string& bytes, std::size_t from)
{
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        unsigned char c = from + i < bytes.size() ? static_cast<unsigned char>(bytes[from + i]) : 0;
        v = (v << 8) | c;
    }
    return v;
}

} // namespace

struct ProxyTable::Index {
    using Key = OrderKey<Row>;
    using Tree = __gnu_pbds::tree<Key, __gnu_pbds::null_type, KeyLess, __gnu_pbds::rb_tree_tag,
                                  __gnu_pbds::tree_order_statistics_node_update>;
    Tree tree;
    Tree::iterator cur; // the cursor; tree iterators stay valid while other rows come and go
    // The rows by bookmark: slot i holds the row added as number seqBase + i, or nullptr once deleted. A
    // flat array costs a pointer a row where a hash map costs a node; it starts afresh whenever the table
    // is emptied.
    std::vector<Row*> bySeq;
    std::uint64_t seqBase = 0;

    Row* find(std::uint64_t seq) const
    {
        return seq >= seqBase && seq - seqBase < bySeq.size() ? bySeq[seq - seqBase] : nullptr;
    }

    static Key keyOf(Row* row)
    {
        return {row->keySet, row->keyNum, packPrefix(row->keyBytes, 0), packPrefix(row->keyBytes, 8),
                row->seq,    row};
    }
};

ProxyTable::ProxyTable(std::shared_ptr<const Collator> collator)
    : collator_(collator ? std::move(collator) : std::make_shared<const Collator>())
    , index_(std::make_unique<Index>())
{
    index_->cur = index_->tree.end();
}

ProxyTable::~ProxyTable()
{
    for (const auto& key : index_->tree)
        delete key.row;
}

std::size_t ProxyTable::rowCount() const
{
    return index_->tree.size();
}

void ProxyTable::setCursor(bool atEnd)
{
    // Called with index_->cur already moved; end() means no current row (an empty table).
    current_ = index_->cur == index_->tree.end() ? nullptr : index_->cur->row;
    eof_ = atEnd || current_ == nullptr;
}

void ProxyTable::computeKey(Row& row) const
{
    row.keySet = false;
    row.keyNum = 0;
    row.keyBytes.clear();
    if (!sortField_ || !row.rec.has(*sortField_))
        return;
    row.keySet = true;
    switch (*sortField_) {
    case Field::Valid:
        row.keyNum = row.rec.valid ? 1 : 0;
        break;
    case Field::Speed:
        row.keyNum = row.rec.speed;
        break;
    default:
        row.keyBytes = collator_->sortKey(row.rec.texts[static_cast<int>(*sortField_)]);
        break;
    }
}

bool ProxyTable::first()
{
    open();
    if (state_ != State::Browse)
        post();
    index_->cur = index_->tree.begin();
    setCursor(false);
    return current_ != nullptr;
}

bool ProxyTable::next()
{
    return moveBy(1);
}

std::optional<ProxyTable::Bookmark> ProxyTable::bookmark() const
{
    if (!current_)
        return std::nullopt;
    return current_->seq;
}

bool ProxyTable::gotoBookmark(Bookmark mark)
{
    open();
    if (state_ != State::Browse)
        post();
    Row* row = index_->find(mark);
    if (!row)
        return false;
    index_->cur = index_->tree.find(Index::keyOf(row));
    setCursor(false);
    return current_ != nullptr;
}

bool ProxyTable::moveBy(std::size_t n)
{
    open();
    if (state_ != State::Browse)
        post();
    if (!current_) {
        eof_ = true;
        return false;
    }
    auto& tree = index_->tree;
    auto& cur = index_->cur;
    if (n <= 16) { // the common single steps walk the tree; longer jumps go by position
        for (std::size_t i = 0; i < n; ++i) {
            auto following = cur;
            if (++following == tree.end()) {
                setCursor(true);
                return false;
            }
            cur = following;
        }
        setCursor(false);
        return true;
    }
    std::size_t target = tree.order_of_key(*cur) + n;
    bool reached = target < tree.size();
    cur = tree.find_by_order(reached ? target : tree.size() - 1);
    setCursor(!reached);
    return reached;
}

std::size_t ProxyTable::recNo() const
{
    if (!current_)
        return 0;
    return index_->tree.order_of_key(*index_->cur) + 1;
}

const ProxyRecord& ProxyTable::current() const
{
    static const ProxyRecord unset;
    if (pending_)
        return pending_->rec;
    return current_ ? current_->rec : unset;
}

std::string ProxyTable::text(std::string_view gbkFieldName) const
{
    auto f = fieldByName(gbkFieldName);
    return f ? text(*f) : std::string();
}

void ProxyTable::append()
{
    open();
    if (state_ != State::Browse)
        post();
    pending_ = std::make_unique<Row>();
    state_ = State::Append;
    eof_ = false;
}

void ProxyTable::edit()
{
    open();
    if (state_ != State::Browse)
        return;
    if (!current_) {
        append(); // editing an empty table appends, as a data set does
        return;
    }
    pending_ = std::make_unique<Row>(*current_);
    state_ = State::Edit;
}

ProxyRecord& ProxyTable::writable(Field f)
{
    if (state_ == State::Browse)
        edit();
    pending_->rec.isSet[static_cast<int>(f)] = true;
    return pending_->rec;
}

void ProxyTable::setText(Field f, std::string_view value)
{
    switch (f) {
    case Field::Valid:
        setBoolean(f, value == "True");
        return;
    case Field::Speed: {
        std::int32_t v = 0;
        for (char c : value) {
            if (c < '0' || c > '9')
                break;
            v = v * 10 + (c - '0');
        }
        setInteger(f, v);
        return;
    }
    default:
        break;
    }
    ProxyRecord& rec = writable(f);
    rec.texts[static_cast<int>(f)] = std::string(value.substr(0, fieldSize(f)));
}

void ProxyTable::setText(std::string_view gbkFieldName, std::string_view value)
{
    if (auto f = fieldByName(gbkFieldName))
        setText(*f, value);
}

void ProxyTable::setBoolean(Field f, bool value)
{
    if (f == Field::Valid) {
        writable(f).valid = value;
    } else {
        setText(f, value ? "True" : "False");
    }
}

void ProxyTable::setInteger(Field f, std::int32_t value)
{
    if (f == Field::Speed) {
        writable(f).speed = value;
    } else if (f == Field::Valid) {
        setBoolean(f, value != 0);
    } else {
        setText(f, std::to_string(value));
    }
}

void ProxyTable::setCredentials(std::string_view value)
{
    if (state_ == State::Browse)
        edit();
    pending_->rec.credentials = std::string(value);
}

const char* anonymityName(Anonymity a)
{
    switch (a) {
    case Anonymity::Transparent:
        return "transparent";
    case Anonymity::Anonymous:
        return "anonymous";
    case Anonymity::Elite:
        return "elite";
    case Anonymity::Unknown:
        break;
    }
    return nullptr;
}

void ProxyTable::setEntryProtocol(ProtocolSet value)
{
    if (state_ == State::Browse)
        edit();
    pending_->rec.entryProtocol = value;
}

void ProxyTable::setCountry(std::string_view isoCode)
{
    if (state_ == State::Browse)
        edit();
    pending_->rec.country = std::string(isoCode);
}

void ProxyTable::post()
{
    auto& tree = index_->tree;
    if (state_ == State::Append) {
        Row* row = pending_.release();
        row->seq = nextSeq_++;
        computeKey(*row);
        if (tree.empty()) {
            index_->bySeq.clear();
            index_->seqBase = row->seq;
        }
        index_->bySeq.push_back(row); // seqBase + size() is always nextSeq_ here
        index_->cur = tree.insert(Index::keyOf(row)).first;
        setCursor(false);
    } else if (state_ == State::Edit) {
        Row edited = std::move(*pending_);
        pending_.reset();
        computeKey(edited);
        bool moves = edited.keySet != current_->keySet || edited.keyNum != current_->keyNum ||
                     edited.keyBytes != current_->keyBytes;
        current_->rec = std::move(edited.rec);
        if (moves) {
            tree.erase(index_->cur); // while the tree still holds the old key
            current_->keySet = edited.keySet;
            current_->keyNum = edited.keyNum;
            current_->keyBytes = std::move(edited.keyBytes);
            index_->cur = tree.insert(Index::keyOf(current_)).first;
            setCursor(false);
        }
    }
    pending_.reset();
    state_ = State::Browse;
}

void ProxyTable::cancel()
{
    pending_.reset();
    state_ = State::Browse;
}

void ProxyTable::deleteCurrent()
{
    open();
    if (state_ == State::Append) {
        cancel();
        return;
    }
    cancel();
    if (!current_)
        return;
    auto& tree = index_->tree;
    auto following = index_->cur;
    ++following;
    Row* gone = current_;
    tree.erase(index_->cur);
    index_->bySeq[gone->seq - index_->seqBase] = nullptr;
    delete gone;
    bool wasLast = following == tree.end();
    index_->cur = wasLast && !tree.empty() ? tree.find_by_order(tree.size() - 1) : following;
    setCursor(wasLast);
}

void ProxyTable::sortOn(Field field)
{
    open();
    if (state_ != State::Browse)
        post();
    sortField_ = field;
    auto& tree = index_->tree;
    std::vector<Row*> rows;
    rows.reserve(tree.size());
    for (const auto& key : tree)
        rows.push_back(key.row);
    tree.clear();
    for (Row* row : rows) {
        computeKey(*row);
        tree.insert(Index::keyOf(row));
    }
    index_->cur = current_ ? tree.find(Index::keyOf(current_)) : tree.end();
    setCursor(eof_);
}

const ProxyRecord* ProxyTable::at(std::size_t position) const
{
    if (position < 1 || position > index_->tree.size())
        return nullptr;
    return &index_->tree.find_by_order(position - 1)->row->rec;
}

bool ProxyTable::setMark(Bookmark mark, CheckMark value)
{
    Row* row = index_->find(mark);
    if (!row)
        return false;
    row->rec.mark = value;
    if (pending_ && state_ == State::Edit && current_ == row)
        pending_->rec.mark = value; // the edit under way must not put the old mark back
    return true;
}

bool ProxyTable::setFacts(Bookmark mark, const CheckFacts& value)
{
    Row* row = index_->find(mark);
    if (!row)
        return false;
    row->rec.facts = value;
    if (pending_ && state_ == State::Edit && current_ == row)
        pending_->rec.facts = value;
    return true;
}

void ProxyTable::updateMarks(const std::function<void(const ProxyRecord&, CheckMark&)>& fn)
{
    for (const auto& key : index_->tree)
        fn(key.row->rec, key.row->rec.mark);
}

void ProxyTable::visitRows(const std::function<void(const ProxyRecord&)>& fn) const
{
    for (const auto& key : index_->tree)
        fn(key.row->rec);
}

} // namespace vorin
