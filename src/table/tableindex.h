// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The proxy table's order: what the table and its sort job share, private to the table library.
#pragma once

#include "table/proxytable.h"

#include <bit>
#include <cstring>
#include <ext/pb_ds/assoc_container.hpp>
#include <ext/pb_ds/tree_policy.hpp>
#include <utility>
#include <vector>

namespace vorin {

// A stored row.
struct ProxyTable::Row {
    ProxyRecord rec;
};

namespace tableindex {

// The part of a text sort key past what the tree node holds: up to 7 bytes inside its 8 (an address's key
// mostly ends there), longer ones in an allocation of their own after a 2-byte length. The first byte in
// memory tells them apart: odd for bytes inside (length in it), even for a pointer (they are aligned).
class KeyTail {
public:
    KeyTail() = default;
    explicit KeyTail(std::string_view bytes)
    {
        bytes = bytes.substr(0, 0xFFFF);
        if (bytes.size() <= 7) {
            unsigned char inside[8] = {static_cast<unsigned char>(bytes.size() << 1 | 1)};
            if (!bytes.empty())
                std::memcpy(inside + 1, bytes.data(), bytes.size());
            std::memcpy(&v_, inside, 8);
        } else {
            char* block = new char[bytes.size() + 2];
            block[0] = static_cast<char>(bytes.size() >> 8);
            block[1] = static_cast<char>(bytes.size() & 0xFF);
            std::memcpy(block + 2, bytes.data(), bytes.size());
            v_ = reinterpret_cast<std::uintptr_t>(block);
        }
    }
    KeyTail(KeyTail&& other) noexcept : v_(std::exchange(other.v_, 0)) {}
    KeyTail& operator=(KeyTail&& other) noexcept
    {
        if (this != &other) {
            release();
            v_ = std::exchange(other.v_, 0);
        }
        return *this;
    }
    KeyTail(const KeyTail&) = delete;
    KeyTail& operator=(const KeyTail&) = delete;
    ~KeyTail() { release(); }

    void reset()
    {
        release();
        v_ = 0;
    }
    std::string_view view() const
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&v_);
        if (v_ == 0)
            return {};
        if (bytes[0] & 1)
            return {reinterpret_cast<const char*>(bytes + 1), static_cast<std::size_t>(bytes[0] >> 1)};
        const auto* block = reinterpret_cast<const unsigned char*>(v_);
        return {reinterpret_cast<const char*>(block + 2), static_cast<std::size_t>(block[0] << 8 | block[1])};
    }

private:
    static_assert(std::endian::native == std::endian::little, "the first byte in memory is the lowest");
    void release()
    {
        if (v_ != 0 && !(v_ & 1))
            delete[] reinterpret_cast<char*>(v_);
    }
    std::uintptr_t v_ = 0; // nothing
};

} // namespace tableindex

// A row's key as an order holds it: 16 bytes big-endian (the first says whether the field is set, so that
// unset values sort before all set ones, an empty text included), then the rest of a text key, then the
// order of adding. Keys are computed when a row is posted or the order is made, never during a comparison.
struct ProxyTable::SortKey {
    std::uint64_t p0 = 0;
    std::uint64_t p1 = 0;
    tableindex::KeyTail tail; // the text key past its first 15 bytes
};

namespace tableindex {

// What the tree holds per row. Almost every comparison is decided inside the tree node without touching
// anything else (at a million rows the walk is bound by cache misses, not by comparisons).
template <typename Row> struct OrderKey {
    std::uint64_t p0;
    std::uint64_t p1;
    std::uint64_t seq; // order of adding, and the row's bookmark
    Row* row;
};

} // namespace tableindex

// One order of the rows: the tree, where each row is in it, and the key tails it compares by. The tails
// belong to the order, not to the rows, so that a new order can be built beside the one in use.
struct ProxyTable::Order {
    using Key = tableindex::OrderKey<Row>;
    struct Less {
        const Order* order;
        bool operator()(const Key& a, const Key& b) const
        {
            if (a.p0 != b.p0)
                return a.p0 < b.p0;
            if (a.p1 != b.p1)
                return a.p1 < b.p1;
            if (a.seq != b.seq && order->textKeys) {
                if (int c = order->tail(a.seq).compare(order->tail(b.seq)); c != 0)
                    return c < 0;
            }
            return a.seq < b.seq;
        }
    };
    using Tree = __gnu_pbds::tree<Key, __gnu_pbds::null_type, Less, __gnu_pbds::rb_tree_tag,
                                  __gnu_pbds::tree_order_statistics_node_update>;

    explicit Order(std::uint64_t base, bool text) : tree(Less{this}), seqBase(base), textKeys(text) {}
    Order(const Order&) = delete;
    Order& operator=(const Order&) = delete;

    Tree tree;
    // The rows by bookmark: slot i holds the tree place of the row added as number seqBase + i, or end()
    // once deleted. A flat array costs a pointer a row where a hash map costs a node, and going to a
    // bookmark needs no search; it starts afresh whenever the table is emptied.
    std::vector<Tree::iterator> bySeq;
    // The key tails by slot, while a text field is the order (textKeys); empty otherwise.
    std::vector<tableindex::KeyTail> tails;
    std::uint64_t seqBase;
    bool textKeys;

    std::string_view tail(std::uint64_t seq) const { return tails[seq - seqBase].view(); }

    std::optional<Tree::iterator> find(std::uint64_t seq)
    {
        if (seq < seqBase || seq - seqBase >= bySeq.size() || bySeq[seq - seqBase] == tree.end())
            return std::nullopt;
        return bySeq[seq - seqBase];
    }

    // A new slot for the row about to be added as number seq.
    void grow(std::uint64_t seq)
    {
        if (tree.empty()) {
            bySeq.clear();
            tails.clear();
            seqBase = seq;
        }
        bySeq.push_back(tree.end()); // seqBase + size() is always the next number here
        if (textKeys)
            tails.emplace_back();
    }

    // Puts row in the tree under key and seq, and records its place.
    Tree::iterator place(Row* row, SortKey key, std::uint64_t seq)
    {
        if (textKeys)
            tails[seq - seqBase] = std::move(key.tail);
        auto it = tree.insert(Key{key.p0, key.p1, seq, row}).first;
        bySeq[seq - seqBase] = it;
        return it;
    }
};

struct ProxyTable::Index {
    std::unique_ptr<Order> order = std::make_unique<Order>(0, false);
    Order::Tree::iterator cur = order->tree.end(); // the cursor; stays valid while other rows come and go

    Order::Tree& tree() { return order->tree; }
};

} // namespace vorin
