// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The sort in steps: keys, then runs sorted and merged, then the new tree, each a slice at a time beside the
// order in use; the last step swaps the orders.
#include "table/tableindex.h"

#include <algorithm>

namespace vorin {

struct ProxyTable::SortJob::State {
    enum class Phase {
        Begin,
        Keys,
        Runs,
        Merge,
        Build,
        Commit, // alone in its step: it frees the old order, a tree node a row
        Done,
    };
    // Runs are sorted alone, then merged in pairs: each piece of work stays small enough for a slice.
    static constexpr std::size_t kRun = 1 << 15;

    State(ProxyTable& t, Field f, Drop d) : table(t), field(f), drop(std::move(d)) { ++table.sortJobs_; }
    ~State()
    {
        if (--table.sortJobs_ == 0)
            table.edited_.clear();
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    ProxyTable& table;
    Field field;
    Drop drop;
    Phase phase = Phase::Begin;
    std::uint64_t version = 0;
    std::size_t editFrom = 0; // the table's edits from here on came after the job began
    std::unique_ptr<Order> next;
    std::vector<Order::Key> keys; // every row's new key; sorted from the Runs phase on
    std::vector<Row*> dropped;
    const ProxyRecord* kept = nullptr;
    bool inPlace = false; // the old order goes before the new one is built (nothing can use it meanwhile)
    std::optional<Bookmark> current; // the current row, kept here once the old order has gone
    std::size_t at = 0;              // where the phase has got to
    std::size_t width = kRun;        // of the runs being merged

    void begin()
    {
        const Order& old = *table.index_->order;
        next = std::make_unique<Order>(old.seqBase, isText());
        next->bySeq.assign(old.bySeq.size(), next->tree.end());
        if (next->textKeys)
            next->tails.resize(old.bySeq.size());
        keys.clear();
        keys.reserve(old.tree.size());
        dropped.clear();
        kept = nullptr;
        at = 0;
        width = kRun;
        version = table.version_;
        editFrom = table.edited_.size();
        phase = Phase::Keys;
    }

    bool isText() const { return field != Field::Valid && field != Field::Speed; }

    // One small piece of the current phase.
    void work()
    {
        switch (phase) {
        case Phase::Begin:
            begin();
            break;
        case Phase::Keys: {
            const Order& old = *table.index_->order;
            const std::size_t end = std::min(at + 1024, old.bySeq.size());
            for (; at < end; ++at) {
                if (old.bySeq[at] == old.tree.end())
                    continue;
                Row* row = old.bySeq[at]->row;
                SortKey key = table.sortKeyOf(field, row->rec);
                if (next->textKeys)
                    next->tails[at] = std::move(key.tail);
                keys.push_back({key.p0, key.p1, old.seqBase + at, row});
            }
            if (at == old.bySeq.size()) {
                at = 0;
                phase = Phase::Runs;
            }
            break;
        }
        case Phase::Runs: {
            const std::size_t end = std::min(at + kRun, keys.size());
            std::sort(keys.begin() + static_cast<std::ptrdiff_t>(at),
                      keys.begin() + static_cast<std::ptrdiff_t>(end), Order::Less{next.get()});
            at = end;
            if (at == keys.size()) {
                at = 0;
                phase = Phase::Merge;
            }
            break;
        }
        case Phase::Merge: {
            if (width >= keys.size()) {
                at = 0;
                phase = Phase::Build;
                break;
            }
            const std::size_t mid = std::min(at + width, keys.size());
            const std::size_t end = std::min(at + 2 * width, keys.size());
            auto base = keys.begin();
            std::inplace_merge(base + static_cast<std::ptrdiff_t>(at),
                               base + static_cast<std::ptrdiff_t>(mid),
                               base + static_cast<std::ptrdiff_t>(end), Order::Less{next.get()});
            at = end;
            if (at == keys.size()) {
                at = 0;
                width *= 2;
            }
            break;
        }
        case Phase::Build: {
            if (inPlace && at == 0) {
                current = table.bookmark();
                table.index_->order->tree.clear();
            }
            const std::size_t end = std::min(at + 1024, keys.size());
            for (; at < end; ++at) {
                const Order::Key& key = keys[at];
                const std::size_t slot = key.seq - next->seqBase;
                if (drop && drop(kept, key.row->rec)) {
                    dropped.push_back(key.row);
                    if (next->textKeys)
                        next->tails[slot].reset();
                    continue;
                }
                next->bySeq[slot] = next->tree.insert(key).first;
                kept = &key.row->rec;
            }
            if (at == keys.size())
                phase = Phase::Commit;
            break;
        }
        case Phase::Commit:
            commit();
            break;
        case Phase::Done:
            break;
        }
    }

    void commit()
    {
        ProxyTable& t = table;
        if (!inPlace)
            current = t.bookmark();
        // A row edited since its key was made takes its place by what it holds now.
        for (std::size_t i = editFrom; i < t.edited_.size(); ++i) {
            const std::uint64_t seq = t.edited_[i];
            const std::size_t slot = seq - next->seqBase;
            if (slot >= next->bySeq.size() || next->bySeq[slot] == next->tree.end())
                continue;
            Row* row = next->bySeq[slot]->row;
            next->tree.erase(next->bySeq[slot]);
            next->place(row, t.sortKeyOf(field, row->rec), seq);
        }
        t.index_->order.swap(next);
        t.sortField_ = field;
        Order& order = *t.index_->order;
        std::optional<Order::Tree::iterator> place = current ? order.find(*current) : std::nullopt;
        bool eof = t.eof_;
        if (!place && !order.tree.empty()) { // the current row was left out: the last one is current
            place = order.tree.find_by_order(order.tree.size() - 1);
            eof = true;
        }
        t.index_->cur = place ? *place : order.tree.end();
        t.setCursor(eof);
        for (Row* row : dropped)
            delete row;
        dropped = {};
        keys = {};
        next.reset(); // the old order's tree and tails; its rows are the new order's
        ++t.version_;
        phase = Phase::Done;
    }
};

ProxyTable::SortJob::SortJob(ProxyTable& table, Field field, Drop drop)
    : state_(std::make_unique<State>(table, field, std::move(drop)))
{
}

ProxyTable::SortJob::~SortJob() = default;

void ProxyTable::SortJob::finish()
{
    state_->inPlace = true;
    while (!step(std::chrono::hours(1))) {
    }
}

bool ProxyTable::SortJob::step(std::chrono::nanoseconds budget)
{
    State& s = *state_;
    if (s.phase == State::Phase::Done)
        return true;
    ProxyTable& t = s.table;
    t.open();
    if (t.state_ != ProxyTable::State::Browse)
        t.post();
    // Rows came or went, or the order changed since the last step: the job begins again. So does an edit
    // when rows are being left out, which they may be by what was edited.
    if (s.phase != State::Phase::Begin &&
        (t.version_ != s.version || (s.drop && t.edited_.size() != s.editFrom)))
        s.phase = State::Phase::Begin;
    const auto until = std::chrono::steady_clock::now() + budget;
    bool worked = false;
    while (s.phase != State::Phase::Done && !(worked && s.phase == State::Phase::Commit) &&
           (!worked || std::chrono::steady_clock::now() < until)) {
        s.work();
        worked = true;
    }
    return s.phase == State::Phase::Done;
}

} // namespace vorin
