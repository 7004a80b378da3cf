// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Saving the table to a file and importing a list.
#include "app/frmvrdl.h"
#include "files/proxyfiles.h"
#include "platform/texts.h"

namespace vorin {

void Tfrmvrdl::btnsaveproxyExecute()
{
    auto chosen = view_.saveDialog(texts().saveFilter, saveFilterIndex);
    if (!chosen)
        return;
    saveFilterIndex = chosen->filterIndex;
    savetofile(proxyfiles::withExtension(chosen->path, chosen->filterIndex), chosen->filterIndex);
}

void Tfrmvrdl::savetofile(const std::string& path, int format)
{
    if (auto r = proxyfiles::savetofile(table_, path, format); !r)
        view_.messageBox(r.message);
}

void Tfrmvrdl::mnimportExecute()
{
    auto chosen = view_.openDialog();
    if (!chosen)
        return;
    std::error_code ec;
    if (std::filesystem::exists(*chosen, ec))
        importfile(*chosen);
    showingrid();
}

bool Tfrmvrdl::importfile(const std::string& path)
{
    std::string bytes;
    if (auto r = proxyfiles::readList(path, bytes); !r) {
        view_.messageBox(r.message); // the table stays as it was, and so does a run under way
        return false;
    }
    importbytes(bytes);
    return true;
}

void Tfrmvrdl::importbytes(std::string_view bytes)
{
    endrunquietly();
    proxyfiles::importBytes(table_, bytes);
}

} // namespace vorin
