// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/hostport.h"
#include "table/collator.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// The six fields of a proxy row, in definition order.
enum class Field {
    Ip,       // "IP地址", text, 50 bytes
    Port,     // "端口", text, 8 bytes
    Protocol, // "协议", text, 10 bytes
    Location, // "位置", text, 40 bytes
    Valid,    // "验证", boolean
    Speed,    // "速度", 32-bit signed integer
};
inline constexpr int kFieldCount = 6;

// Byte size of a text field (0 for Valid and Speed).
std::size_t fieldSize(Field field);
// The field's name as GBK bytes.
const std::string& fieldName(Field field);
// The field with that GBK name; empty when no field has it.
std::optional<Field> fieldByName(std::string_view gbkName);

// What the validation run under way (or the last one) found of a row. It is row state beside the six
// fields: no file holds it and no sort orders by it.
enum class CheckMark : std::uint8_t {
    None,  // not checked
    Valid, // answered the test page
    Failed,
};

// How much of the program's own address a proxy lets through, as an echo judge sees it.
enum class Anonymity : std::uint8_t {
    Unknown,     // not checked against an echo judge, or the judge could not tell
    Transparent, // the program's own address appears in the echo
    Anonymous,   // it does not, but a header that proxies add does
    Elite,       // neither
};

// "transparent", "anonymous", "elite"; nullptr for Unknown.
const char* anonymityName(Anonymity a);

// What the checks of a run found of a row beyond its verdict; row state like the mark.
struct CheckFacts {
    ProtocolSet passed = 0; // the protocols whose check passed
    Anonymity anonymity = Anonymity::Unknown;
    std::string exitIp; // the address the judge saw the request come from; empty when unknown

    bool operator==(const CheckFacts&) const = default;
};

// One row. A field that was never written is unset: it reads as the empty text, and "验证" as false.
// A million rows must fit in a few hundred megabytes, so a record is 64 bytes: its texts (the four fields,
// then credentials, exit address and country) lie end to end in one buffer, inside the record while they
// fit in 40 bytes (an address, port and protocol do) and in one allocation of their own beyond that.
class ProxyRecord {
public:
    std::int32_t speed = 0;
    bool valid = false;
    CheckMark mark = CheckMark::None;
    // The one protocol the entry named itself (a scheme, a list's own field); 0 for a bare host:port,
    // which a run checks in each protocol asked for.
    ProtocolSet entryProtocol = 0;

    ProxyRecord() = default;
    ProxyRecord(const ProxyRecord& other);
    ProxyRecord(ProxyRecord&& other) noexcept;
    ProxyRecord& operator=(const ProxyRecord& other);
    ProxyRecord& operator=(ProxyRecord&& other) noexcept;
    ~ProxyRecord();

    bool has(Field f) const { return (set_ >> static_cast<int>(f)) & 1u; }
    // The field as text: texts as stored, "验证" as "True"/"False", "速度" in decimal, unset as "".
    std::string text(Field f) const;
    // A text field as stored, without a copy; empty for the other fields and for unset ones.
    std::string_view textView(Field f) const;
    bool boolean(Field f) const;
    // "user:password" for a proxy that wants them; row state like the mark, which only the program's own
    // JSON carries on (the lists of the other formats never hold them).
    std::string_view credentials() const { return part(kCredentials); }
    std::string_view country() const { return part(kCountry); } // ISO 3166 code found offline, or empty
    CheckFacts facts() const;

private:
    friend class ProxyTable;
    enum Part : std::uint8_t {
        kCredentials = 4, // after the four text fields, which are parts 0 to 3
        kExitIp,
        kCountry,
        kParts,
    };
    static constexpr std::size_t kInline = 40;

    std::size_t total() const;
    const char* bytes() const { return total() <= kInline ? store_.inline_ : store_.heap; }
    std::string_view part(int i) const;
    void setPart(int i, std::string_view value); // cut at 65,535 bytes
    void markSet(Field f) { set_ = static_cast<std::uint8_t>(set_ | 1u << static_cast<int>(f)); }
    void setFacts(const CheckFacts& facts);
    void release();
    void adopt(const ProxyRecord& other); // every member as it is

    std::uint8_t set_ = 0; // a bit a field
    std::array<std::uint16_t, kParts> len_{};
    ProtocolSet passed_ = 0;
    Anonymity anonymity_ = Anonymity::Unknown;
    union {
        char inline_[kInline];
        char* heap;
    } store_{};
};

// The proxy a row stands for where it is used (the system proxy, the guard): its address and port trimmed,
// its credentials, and the protocol it is best used in: of those its checks passed, HTTP (which serves
// HTTPS too where CONNECT passed), then SOCKS5, then CONNECT alone, then SOCKS4; unchecked, the one its
// entry named or its "协议" field says; else none (HTTP).
ProxyEntry proxyOf(const ProxyRecord& row);
// Whether a row counts as working: the run under way (or the last) found it valid, or an earlier one did and
// this one has not failed it.
bool workingRow(const ProxyRecord& row);
class ProxyTable;
// The working rows that name a proxy, as proxyOf gives them, fastest first (a row without a speed after every
// timed one; equal speeds in table order).
std::vector<ProxyEntry> workingProxies(const ProxyTable& table);

// The in-memory proxy table: rows in one current order addressed by position from 1, a cursor, and a sort
// that stays in force (appended and edited rows take their place at once). The order is kept in an
// order-statistics tree keyed by each row's precomputed sort key and its insertion number, so appends,
// edits and deletes cost O(log n) and equal keys keep the order of adding. Main thread only.
class ProxyTable {
public:
    explicit ProxyTable(std::shared_ptr<const Collator> collator = nullptr);
    ~ProxyTable();
    ProxyTable(const ProxyTable&) = delete;
    ProxyTable& operator=(const ProxyTable&) = delete;

    // The table is created closed; every operation opens it first. Opening keeps the rows.
    bool isOpen() const { return open_; }
    void open() { open_ = true; }

    std::size_t rowCount() const;
    bool isEmpty() const { return rowCount() == 0; }

    // Cursor. first() and next() return false when there is no row to move to: next() on the last row
    // stays there and sets eof(). moveBy(n) moves n rows forward, stopping at the last.
    bool first();
    bool next();
    bool moveBy(std::size_t n);
    bool eof() const { return eof_; }
    // Position of the current row, from 1; 0 when the table is empty.
    std::size_t recNo() const;

    // A bookmark names a row for as long as it exists, wherever the order moves it.
    using Bookmark = std::uint64_t;
    std::optional<Bookmark> bookmark() const; // the current row's; nothing when the table is empty
    // Makes the bookmarked row current; false (the cursor unchanged) when the row has been deleted.
    bool gotoBookmark(Bookmark mark);

    // The current row (or the row being appended or edited). An empty table reads as an unset row.
    const ProxyRecord& current() const;
    std::string text(Field f) const { return current().text(f); }
    std::string text(std::string_view gbkFieldName) const;
    bool boolean(Field f) const { return current().boolean(f); }

    // Appending and editing. append() starts a new unset row, edit() makes the current row writable; the
    // setters cut texts to the field size. post() stores the row at its place in the order and keeps the
    // cursor on it. A setter outside append/edit starts an edit of the current row.
    void append();
    void edit();
    void setText(Field f, std::string_view value);
    void setText(std::string_view gbkFieldName, std::string_view value);
    void setBoolean(Field f, bool value);
    void setInteger(Field f, std::int32_t value);
    void setCredentials(std::string_view value);
    void setEntryProtocol(ProtocolSet value);
    void setCountry(std::string_view isoCode);
    void post();
    void cancel();

    // Deletes the current row; the next row becomes current, or the new last row.
    void deleteCurrent();
    // Deletes every row at once (a row edited or appended is posted first); the sort stays in force.
    void clear();

    // Makes field's ascending order the current order and keeps it in force.
    void sortOn(Field field);
    std::optional<Field> sortField() const { return sortField_; }

    // A sort done in steps, so that a million rows never hold the main thread for long: the keys, their
    // order and the new tree are made a slice at a time beside the order in use, which stays in force
    // (the table can be used as ever between steps) until the last step puts the new one in its place at
    // once. On the way, drop(kept, row) is asked of each row in the new order, with the last row kept
    // before it (nullptr for the first); true leaves the row out of the table. A change of the table's
    // rows or order between steps makes the job begin again; an edit does not (without drop): the rows edited
    // meanwhile take their place by their new values when the job commits. The row that was current stays
    // current unless left out (then the last row is). Main thread; the table must outlive the job.
    class SortJob {
    public:
        using Drop = std::function<bool(const ProxyRecord* kept, const ProxyRecord& row)>;
        SortJob(ProxyTable& table, Field field, Drop drop = nullptr);
        ~SortJob();
        SortJob(const SortJob&) = delete;
        SortJob& operator=(const SortJob&) = delete;
        // Works for about budget (at least one slice of some thousand rows); true once the table is in its
        // new order.
        bool step(std::chrono::nanoseconds budget);
        // Does the rest at once, building the new order in place of the old one (less memory).
        void finish();

    private:
        struct State;
        std::unique_ptr<State> state_;
    };

    // The row at position (from 1) in the current order without moving the cursor; nullptr past the end.
    // O(log n).
    const ProxyRecord* at(std::size_t position) const;
    // Sets the bookmarked row's check mark without moving the cursor or the row; false when the row has
    // been deleted.
    bool setMark(Bookmark mark, CheckMark value);
    // The same for the row's check facts.
    bool setFacts(Bookmark mark, const CheckFacts& value);
    // Lets fn change the check mark of every row (nothing else of it), in the current order.
    void updateMarks(const std::function<void(const ProxyRecord&, CheckMark&)>& fn);

    // Visits every row in the current order without moving the cursor. fn(position from 1, row).
    template <typename Fn> void forEach(Fn&& fn) const
    {
        std::size_t pos = 0;
        visitRows([&](const ProxyRecord& r) { fn(++pos, r); });
    }

private:
    struct Row;
    struct SortKey;
    struct Order;
    struct Index;
    enum class State {
        Browse,
        Append,
        Edit,
    };

    void visitRows(const std::function<void(const ProxyRecord&)>& fn) const;
    SortKey sortKeyOf(std::optional<Field> field, const ProxyRecord& rec) const;
    void setCursor(bool atEnd);
    ProxyRecord& writable(Field f);

    std::shared_ptr<const Collator> collator_;
    std::unique_ptr<Index> index_;
    Row* current_ = nullptr;
    std::unique_ptr<ProxyRecord> pending_; // the row being appended or the copy being edited
    State state_ = State::Browse;
    bool open_ = false;
    bool eof_ = false;
    std::optional<Field> sortField_;
    std::uint64_t nextSeq_ = 0;
    // For the sort jobs under way: version_ counts every change of rows or order but an edit, which goes
    // into edited_ (the edited rows' bookmarks, kept while a job runs) instead, so a job carries on through
    // a run's verdicts and puts the rows edited meanwhile in their place when it commits.
    std::uint64_t version_ = 0;
    std::vector<std::uint64_t> edited_;
    int sortJobs_ = 0;
};

} // namespace vorin
