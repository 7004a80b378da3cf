// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "app/view.h"
#include "config/endpoints.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vorin::test {

// "text" as GBK bytes.
std::string g(const char* utf8);

// A literal's bytes, NUL bytes inside included.
template <std::size_t N> std::string bytes(const char (&literal)[N])
{
    return std::string(literal, N - 1);
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "vorin");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A file's bytes ("" when it cannot be read), and writing bytes to a file.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);
// Whether something accepts connections at ip:port (IPv4).
bool listening(const std::string& ip, int port);
// Number of entries in a folder.
std::size_t filesIn(const std::filesystem::path& dir);

// Drains the main-thread hand-over, as the event loop would, until done() holds; false after limit.
// eachTurn, when given, runs after every turn of the loop (the way a click reaches a waiting window).
bool pumpUntil(Dispatcher& dispatcher, const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(20),
               const std::function<void()>& eachTurn = {});

// The middle value of samples (the upper middle of an even count); samples must not be empty.
template <class T> T median(std::vector<T> samples)
{
    auto middle = samples.begin() + static_cast<std::ptrdiff_t>(samples.size() / 2);
    std::nth_element(samples.begin(), middle, samples.end());
    return *middle;
}

// Sets an environment variable for a scope and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    static void setEnv(const char* name, const std::string& value);
    std::string name_;
    std::optional<std::string> old_;
};

// Whether a folder's mode bits keep this process out of it (not as root, not on Windows).
bool folderModesApply();

// Writes an endpoints file that maps every known key to a closed loopback port; returns its path.
std::filesystem::path writeLoopbackEndpoints(const std::filesystem::path& dir);
// Writes an endpoints file that maps every known key to root; returns its path.
std::filesystem::path writeEndpointsAt(const std::filesystem::path& dir, const std::string& root);
// Endpoints with every site of the program at root (one fixture server answering for all of them).
Endpoints endpointsAt(const std::string& root);
// Endpoints with every known key on loopback.
Endpoints loopbackEndpoints();

// A clock that never waits: sleeping advances the ticks, is recorded, and runs onSleep (a test's way to
// act in the middle of a pause).
class FakeClock final : public Clock {
public:
    std::uint32_t tickCount() override { return ticks += step; }
    void sleep(std::uint32_t ms) override
    {
        sleeps.push_back(ms);
        ticks += ms;
        if (onSleep)
            onSleep();
    }
    std::uint32_t ticks = 1000;
    std::uint32_t step = 0; // how far each look at the clock moves it
    std::vector<std::uint32_t> sleeps;
    std::function<void()> onSleep;
};

// A window that records what the controller does to it.
class FakeView final : public View {
public:
    void setStatusText(const std::string& text) override { statuses.push_back(text); }
    void setInfoText(const std::string& text) override { infos.push_back(text); }
    void setTitleText(const std::string& text) override { title = text; }
    bool isChecked(MenuEntry e) const override { return checked[static_cast<std::size_t>(e)]; }
    void setChecked(MenuEntry e, bool c) override { checked[static_cast<std::size_t>(e)] = c; }
    void setEntryVisible(MenuEntry e, bool v) override { visible[static_cast<std::size_t>(e)] = v; }
    void setMenuButtonVisible(bool v) override { menuButtonVisible = v; }
    void popupAtCursor(Popup p) override { popups.push_back(p); }
    void navigate(const std::string& url, bool bypassCache) override
    {
        urls.push_back(url);
        bypassed.push_back(bypassCache);
    }
    void purgeCache(const std::string& urlPart) override { purged.push_back(urlPart); }
    void showOwnPage(OwnPage page, const OwnPageFields& fields) override
    {
        ownPages.emplace_back(page, fields);
    }
    void setApplicationProxy(const ProxyEntry& proxy) override
    {
        appProxies.push_back(proxy.endpoint.empty() ? std::string() : proxy.endpoint.text());
    }
    void messageBox(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string& text) override
    {
        questions.push_back(text);
        return answerYes;
    }
    void showAbout(const std::string& title, const std::string& text) override
    {
        abouts.push_back(title + "|" + text);
    }
    void openExternal(const std::string& url) override { opened.push_back(url); }
    std::optional<SaveChoice> saveDialog(const std::string& filter, int filterIndex) override
    {
        saveFilters.push_back(filter);
        preselected.push_back(filterIndex);
        return saveAnswer;
    }
    std::optional<std::filesystem::path> openDialog() override { return openAnswer; }
    std::optional<JudgeChoice> judgeDialog(const JudgeChoice& current) override
    {
        judgeShown.push_back(current);
        return judgeAnswer;
    }
    std::optional<std::string> editText(const std::string& title, const std::string& text) override
    {
        edited.push_back(title + "|" + text);
        return editAnswer;
    }
    void applyRoundOutline() override { ++roundCalls; }
    void minimize() override { ++minimizeCalls; }
    void closeWindow() override { ++closeCalls; }

    // "110" style marks of the three source entries.
    std::string marks() const;

    std::vector<std::string> statuses;
    std::vector<std::string> infos;
    std::string title;
    std::array<bool, kMenuEntries> checked{};
    std::vector<std::pair<OwnPage, OwnPageFields>> ownPages;
    std::array<bool, kMenuEntries> visible{true, true, true, true};
    bool menuButtonVisible = true;
    std::vector<Popup> popups;
    std::vector<std::string> urls;
    std::vector<bool> bypassed;
    std::vector<std::string> purged;
    std::vector<std::string> appProxies;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    bool answerYes = false;
    std::vector<std::string> abouts;
    std::vector<std::string> opened;
    std::vector<std::string> saveFilters;
    std::vector<int> preselected;
    std::optional<SaveChoice> saveAnswer;
    std::optional<std::filesystem::path> openAnswer;
    std::vector<std::string> edited;
    std::vector<JudgeChoice> judgeShown;
    std::optional<JudgeChoice> judgeAnswer;
    std::optional<std::string> editAnswer;
    int roundCalls = 0;
    int minimizeCalls = 0;
    int closeCalls = 0;
};

} // namespace vorin::test
