// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "table/proxygrid.h"

#include "platform/idioms.h"
#include "platform/texts.h"

#include <algorithm>

namespace vorin {

using namespace gridview;

ProxyGrid::ProxyGrid(const ProxyTable& table) : table_(table)
{
    widths_.fill(64);
}

void ProxyGrid::setRowCount(int rows)
{
    rows = std::max(rows, 1);
    if (rows == rows_)
        return;
    rows_ = rows;
    int oldSelected = selected_;
    selected_ = std::min(std::max(selected_, 1), rows - 1);
    reset();
    if (observer_ && selected_ != oldSelected)
        observer_->gridSelectionChanged();
}

std::string ProxyGrid::cell(int col, int row) const
{
    if (col < 0 || col >= kColumns || row < 0 || row >= rows_)
        return {};
    if (row == 0)
        return titles_[static_cast<std::size_t>(col)];
    const ProxyRecord* rec = blank_ ? nullptr : table_.at(static_cast<std::size_t>(row));
    if (!rec)
        return {};
    const bool failed = rec->mark == CheckMark::Failed;
    const bool valid = workingRow(*rec);
    switch (col) {
    case ColNumber:
        return std::to_string(row);
    case ColIp:
        return rec->text(Field::Ip);
    case ColPort:
        return rec->text(Field::Port);
    case ColProtocol:
        if (rec->facts().passed & ~bit(Protocol::Http))
            return idioms::UpperCase(protocolNames(rec->facts().passed, "/"));
        return rec->text(Field::Protocol);
    case ColLocation:
        return rec->text(Field::Location);
    case ColMark:
        return failed ? texts().markFailed : valid ? texts().markValid : std::string();
    case ColSpeed:
        return failed ? std::string("99999") : valid ? rec->text(Field::Speed) : std::string();
    default:
        return {};
    }
}

std::string ProxyGrid::tip(int row) const
{
    const ProxyRecord* rec =
        blank_ || row < 1 || row >= rows_ ? nullptr : table_.at(static_cast<std::size_t>(row));
    if (!rec)
        return {};
    const Texts& t = texts();
    std::string out;
    const CheckFacts facts = rec->facts();
    auto line = [&](const std::string& label, std::string_view value) {
        if (value.empty())
            return;
        if (!out.empty())
            out += '\n';
        out += label;
        out += value;
    };
    line(t.tipProtocols, idioms::UpperCase(protocolNames(facts.passed, "/")));
    switch (facts.anonymity) {
    case Anonymity::Transparent:
        line(t.tipAnonymity, t.anonymityTransparent);
        break;
    case Anonymity::Anonymous:
        line(t.tipAnonymity, t.anonymityAnonymous);
        break;
    case Anonymity::Elite:
        line(t.tipAnonymity, t.anonymityElite);
        break;
    case Anonymity::Unknown:
        break;
    }
    line(t.tipExit, facts.exitIp);
    line(t.tipCountry, rec->country());
    return out;
}

void ProxyGrid::setTitle(int col, std::string text)
{
    if (col < 0 || col >= kColumns)
        return;
    titles_[static_cast<std::size_t>(col)] = std::move(text);
    changed(0, 0);
}

void ProxyGrid::setBlank(bool blank)
{
    if (blank == blank_)
        return;
    blank_ = blank;
    reset();
}

int ProxyGrid::colWidth(int col) const
{
    return col >= 0 && col < kColumns ? widths_[static_cast<std::size_t>(col)] : 0;
}

void ProxyGrid::setColWidth(int col, int width)
{
    if (col < 0 || col >= kColumns)
        return;
    widths_[static_cast<std::size_t>(col)] = width;
    changed(0, 0);
}

void ProxyGrid::setSelectedRow(int row)
{
    row = std::clamp(row, 0, rows_ - 1);
    if (row == selected_)
        return;
    selected_ = row;
    if (observer_)
        observer_->gridSelectionChanged();
}

void ProxyGrid::changed(int first, int last)
{
    if (last < first)
        return;
    if (updating_ > 0) {
        dirty_ = true;
        return;
    }
    if (observer_)
        observer_->gridRowsChanged(first, last);
}

void ProxyGrid::reset()
{
    // Inside an update the reset waits for its end, like every other change.
    ++updating_;
    dirty_ = true;
    endUpdate();
}

void ProxyGrid::endUpdate()
{
    if (updating_ > 0 && --updating_ == 0 && dirty_) {
        dirty_ = false;
        if (observer_)
            observer_->gridReset();
    }
}

} // namespace vorin
