// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "table/proxytable.h"

#include "platform/texts.h"
#include "platform/trim.h"
#include "table/tableindex.h"

#include <algorithm>
#include <cstring>
#include <limits>

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

static_assert(sizeof(ProxyRecord) == 64, "a million rows are counted in bytes");

ProxyRecord::ProxyRecord(const ProxyRecord& other)
{
    adopt(other);
    if (const std::size_t n = total(); n > kInline) {
        store_.heap = new char[n];
        std::memcpy(store_.heap, other.store_.heap, n);
    }
}

ProxyRecord::ProxyRecord(ProxyRecord&& other) noexcept
{
    adopt(other);
    other.len_ = {}; // the buffer, if on the heap, is ours now
}

ProxyRecord& ProxyRecord::operator=(const ProxyRecord& other)
{
    if (this != &other)
        *this = ProxyRecord(other);
    return *this;
}

ProxyRecord& ProxyRecord::operator=(ProxyRecord&& other) noexcept
{
    if (this != &other) {
        release();
        adopt(other);
        other.len_ = {};
    }
    return *this;
}

void ProxyRecord::adopt(const ProxyRecord& other)
{
    speed = other.speed;
    valid = other.valid;
    mark = other.mark;
    entryProtocol = other.entryProtocol;
    set_ = other.set_;
    len_ = other.len_;
    passed_ = other.passed_;
    anonymity_ = other.anonymity_;
    store_ = other.store_; // a heap buffer is then shared: the caller copies it or takes it
}

ProxyRecord::~ProxyRecord()
{
    release();
}

void ProxyRecord::release()
{
    if (total() > kInline)
        delete[] store_.heap;
    len_ = {};
}

std::size_t ProxyRecord::total() const
{
    std::size_t n = 0;
    for (std::uint16_t l : len_)
        n += l;
    return n;
}

std::string_view ProxyRecord::part(int i) const
{
    std::size_t from = 0;
    for (int j = 0; j < i; ++j)
        from += len_[static_cast<std::size_t>(j)];
    return {bytes() + from, len_[static_cast<std::size_t>(i)]};
}

void ProxyRecord::setPart(int i, std::string_view value)
{
    value = value.substr(0, 0xFFFF);
    const auto index = static_cast<std::size_t>(i);
    const std::size_t oldTotal = total();
    const std::size_t newTotal = oldTotal - len_[index] + value.size();
    std::size_t from = 0;
    for (std::size_t j = 0; j < index; ++j)
        from += len_[j];
    const std::size_t after = oldTotal - from - len_[index];
    // The new buffer is put together apart from the old one: value may lie in it.
    char scratch[kInline];
    char* out = newTotal <= kInline ? scratch : new char[newTotal];
    const char* old = bytes();
    if (from > 0)
        std::memcpy(out, old, from);
    if (!value.empty())
        std::memcpy(out + from, value.data(), value.size());
    if (after > 0)
        std::memcpy(out + from + value.size(), old + from + len_[index], after);
    if (oldTotal > kInline)
        delete[] store_.heap;
    if (newTotal <= kInline)
        std::memcpy(store_.inline_, scratch, newTotal);
    else
        store_.heap = out;
    len_[index] = static_cast<std::uint16_t>(value.size());
}

CheckFacts ProxyRecord::facts() const
{
    return {passed_, anonymity_, std::string(part(kExitIp))};
}

void ProxyRecord::setFacts(const CheckFacts& facts)
{
    passed_ = facts.passed;
    anonymity_ = facts.anonymity;
    setPart(kExitIp, facts.exitIp);
}

std::string_view ProxyRecord::textView(Field f) const
{
    if (!has(f) || f == Field::Valid || f == Field::Speed)
        return {};
    return part(static_cast<int>(f));
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
        return std::string(textView(f));
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
    return textView(f) == "True";
}

namespace {

std::uint64_t packBytes(const unsigned char* bytes)
{
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < 8; ++i)
        v = (v << 8) | bytes[i];
    return v;
}

} // namespace

ProxyTable::ProxyTable(std::shared_ptr<const Collator> collator)
    : collator_(collator ? std::move(collator) : std::make_shared<const Collator>())
    , index_(std::make_unique<Index>())
{
}

ProxyTable::~ProxyTable()
{
    for (const auto& key : index_->tree())
        delete key.row;
}

std::size_t ProxyTable::rowCount() const
{
    return index_->tree().size();
}

void ProxyTable::setCursor(bool atEnd)
{
    // Called with index_->cur already moved; end() means no current row (an empty table).
    current_ = index_->cur == index_->tree().end() ? nullptr : index_->cur->row;
    eof_ = atEnd || current_ == nullptr;
}

ProxyTable::SortKey ProxyTable::sortKeyOf(std::optional<Field> field, const ProxyRecord& rec) const
{
    SortKey key;
    if (!field || !rec.has(*field))
        return key;
    constexpr std::uint64_t set = std::uint64_t{1} << 56;
    switch (*field) {
    case Field::Valid:
        key.p0 = set | (rec.valid ? 1u : 0u);
        break;
    case Field::Speed: // biased so that the unsigned order is the signed one
        key.p0 = set | (static_cast<std::uint32_t>(rec.speed) ^ 0x80000000u);
        break;
    default: {
        const std::string bytes = collator_->sortKey(rec.textView(*field));
        unsigned char head[16] = {1};
        const std::size_t inHead = std::min<std::size_t>(bytes.size(), 15);
        if (inHead > 0)
            std::memcpy(head + 1, bytes.data(), inHead);
        key.p0 = packBytes(head);
        key.p1 = packBytes(head + 8);
        if (bytes.size() > 15) {
            key.tail = tableindex::KeyTail(std::string_view(bytes).substr(15));
        }
        break;
    }
    }
    return key;
}

bool ProxyTable::first()
{
    open();
    if (state_ != State::Browse)
        post();
    index_->cur = index_->tree().begin();
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
    return index_->cur->seq;
}

bool ProxyTable::gotoBookmark(Bookmark mark)
{
    open();
    if (state_ != State::Browse)
        post();
    auto place = index_->order->find(mark);
    if (!place)
        return false;
    index_->cur = *place;
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
    auto& tree = index_->tree();
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
    return index_->tree().order_of_key(*index_->cur) + 1;
}

const ProxyRecord& ProxyTable::current() const
{
    static const ProxyRecord unset;
    if (pending_)
        return *pending_;
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
    pending_ = std::make_unique<ProxyRecord>();
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
    pending_ = std::make_unique<ProxyRecord>(current_->rec);
    state_ = State::Edit;
}

ProxyRecord& ProxyTable::writable(Field f)
{
    if (state_ == State::Browse)
        edit();
    pending_->markSet(f);
    return *pending_;
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
    writable(f).setPart(static_cast<int>(f), value.substr(0, fieldSize(f)));
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
    pending_->setPart(ProxyRecord::kCredentials, value);
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

ProxyEntry proxyOf(const ProxyRecord& row)
{
    ProxyEntry e;
    e.endpoint = HostPort::trimmed(row.textView(Field::Ip), row.textView(Field::Port));
    e.credentials = std::string(row.credentials());
    const ProtocolSet passed = row.facts().passed;
    const ProtocolSet named = row.entryProtocol;
    for (ProtocolSet set : {passed, named}) {
        for (Protocol p : {Protocol::Http, Protocol::Socks5, Protocol::Https, Protocol::Socks4}) {
            if (set & bit(p)) {
                e.protocol = p == Protocol::Http ? "" : protocolName(p);
                return e;
            }
        }
    }
    const std::string field = knownProtocol(trim(row.textView(Field::Protocol)));
    e.protocol = field == "http" ? "" : field;
    return e;
}

bool workingRow(const ProxyRecord& row)
{
    return row.mark != CheckMark::Failed && (row.mark == CheckMark::Valid || row.boolean(Field::Valid));
}

std::vector<ProxyEntry> workingProxies(const ProxyTable& table)
{
    std::vector<std::pair<std::int64_t, ProxyEntry>> rows;
    table.forEach([&](std::size_t, const ProxyRecord& r) {
        if (!workingRow(r))
            return;
        ProxyEntry e = proxyOf(r);
        if (e.endpoint.valid())
            rows.emplace_back(r.has(Field::Speed) ? r.speed : std::numeric_limits<std::int64_t>::max(),
                              std::move(e));
    });
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<ProxyEntry> out;
    out.reserve(rows.size());
    for (auto& row : rows)
        out.push_back(std::move(row.second));
    return out;
}

void ProxyTable::setEntryProtocol(ProtocolSet value)
{
    if (state_ == State::Browse)
        edit();
    pending_->entryProtocol = value;
}

void ProxyTable::setCountry(std::string_view isoCode)
{
    if (state_ == State::Browse)
        edit();
    pending_->setPart(ProxyRecord::kCountry, isoCode);
}

void ProxyTable::post()
{
    Order& order = *index_->order;
    if (state_ == State::Append) {
        const std::uint64_t seq = nextSeq_++;
        order.grow(seq);
        SortKey key = sortKeyOf(sortField_, *pending_);
        index_->cur = order.place(new Row{std::move(*pending_)}, std::move(key), seq);
        setCursor(false);
        ++version_;
    } else if (state_ == State::Edit) {
        SortKey key = sortKeyOf(sortField_, *pending_);
        const Order::Key old = *index_->cur;
        const bool moves = key.p0 != old.p0 || key.p1 != old.p1 ||
                           (order.textKeys && key.tail.view() != order.tail(old.seq));
        current_->rec = std::move(*pending_);
        if (moves) {
            order.tree.erase(index_->cur); // while the order still holds the old key
            index_->cur = order.place(current_, std::move(key), old.seq);
            setCursor(false);
        }
        if (sortJobs_ > 0)
            edited_.push_back(old.seq);
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
    auto& tree = index_->tree();
    auto following = index_->cur;
    ++following;
    Row* gone = current_;
    Order& order = *index_->order;
    const std::size_t slot = index_->cur->seq - order.seqBase;
    order.bySeq[slot] = tree.end();
    if (order.textKeys)
        order.tails[slot].reset();
    tree.erase(index_->cur);
    delete gone;
    ++version_;
    bool wasLast = following == tree.end();
    index_->cur = wasLast && !tree.empty() ? tree.find_by_order(tree.size() - 1) : following;
    setCursor(wasLast);
}

void ProxyTable::clear()
{
    open();
    if (state_ != State::Browse)
        post();
    for (const auto& key : index_->tree())
        delete key.row;
    Order& order = *index_->order;
    order.tree.clear();
    order.bySeq = {};
    std::vector<tableindex::KeyTail>().swap(order.tails);
    index_->cur = order.tree.end();
    setCursor(true);
    ++version_;
}

void ProxyTable::sortOn(Field field)
{
    open();
    if (state_ != State::Browse)
        post();
    SortJob(*this, field).finish();
}

const ProxyRecord* ProxyTable::at(std::size_t position) const
{
    if (position < 1 || position > index_->tree().size())
        return nullptr;
    return &index_->tree().find_by_order(position - 1)->row->rec;
}

bool ProxyTable::setMark(Bookmark mark, CheckMark value)
{
    auto place = index_->order->find(mark);
    if (!place)
        return false;
    Row* row = (*place)->row;
    row->rec.mark = value;
    if (pending_ && state_ == State::Edit && current_ == row)
        pending_->mark = value; // the edit under way must not put the old mark back
    return true;
}

bool ProxyTable::setFacts(Bookmark mark, const CheckFacts& value)
{
    auto place = index_->order->find(mark);
    if (!place)
        return false;
    Row* row = (*place)->row;
    row->rec.setFacts(value);
    if (pending_ && state_ == State::Edit && current_ == row)
        pending_->setFacts(value);
    return true;
}

void ProxyTable::updateMarks(const std::function<void(const ProxyRecord&, CheckMark&)>& fn)
{
    for (const auto& key : index_->tree())
        fn(key.row->rec, key.row->rec.mark);
}

void ProxyTable::visitRows(const std::function<void(const ProxyRecord&)>& fn) const
{
    for (const auto& key : index_->tree())
        fn(key.row->rec);
}

} // namespace vorin
