// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "harvest/tdaili.h"

#include "harvest/antipalivo.h"
#include "harvest/anypage.h"
#include "harvest/discovered.h"
#include "harvest/discovery.h"
#include "harvest/feeds.h"
#include "harvest/htmltables.h"
#include "platform/texts.h"

namespace vorin {

tdaili::tdaili(HarvestEnv& env, std::function<void()> listtable, std::function<void(bool)> setbusy)
    : env_(env)
    , listtable_(std::move(listtable))
    , setbusy_(std::move(setbusy))
{
    startBackground(std::make_unique<Tgetnewurl>(env_, pageurls, haozsurls));
}

tdaili::~tdaili()
{
    env_.cancel = true;
    env_.dispatcher.close();
    for (auto& r : running_) {
        if (r.thread.joinable())
            r.thread.join();
    }
}

void tdaili::launch(std::unique_ptr<SourceWorker> worker, bool counted)
{
    SourceWorker* w = worker.get();
    if (!counted)
        ++backgroundcount;
    running_.push_back({std::move(worker), std::thread()});
    running_.back().thread = std::thread([this, w, counted] {
        try {
            w->Execute();
        } catch (...) {
            // An error ends the worker silently; its end is reported all the same.
        }
        // The end goes to the main thread as a queued call; the main thread joins this thread there, which
        // returns at once since nothing follows the post.
        env_.dispatcher.post([this, w, counted] {
            if (counted) {
                tallies.insert(tallies.end(), w->tallies().begin(), w->tallies().end());
                workerdone();
            } else
                --backgroundcount;
            reap(w);
        });
    });
}

void tdaili::reap(SourceWorker* worker)
{
    for (auto it = running_.begin(); it != running_.end(); ++it) {
        if (it->worker.get() == worker) {
            it->thread.join();
            running_.erase(it);
            return;
        }
    }
}

void tdaili::startWorker(std::unique_ptr<SourceWorker> worker, const std::string& status)
{
    launch(std::move(worker), true);
    setbusy_(true);
    ++threadcount;
    ++startedcount;
    if (onshowinfo)
        onshowinfo(status);
}

void tdaili::startBackground(std::unique_ptr<SourceWorker> worker)
{
    launch(std::move(worker), false);
}

void tdaili::workerdone()
{
    if (--threadcount < 0)
        threadcount = 0;
    if (threadcount == 0) {
        listtable_();
        setbusy_(false);
    }
}

std::string tdaili::label(const char* key) const
{
    return env_.endpoints.label(key);
}

void tdaili::downcnp()
{
    const Texts& t = texts();
    startWorker(std::make_unique<tdowncnp>(env_), t.downFrom + label("cnp") + t.downWait);
}

void tdaili::downproxycn()
{
    const Texts& t = texts();
    startWorker(std::make_unique<Tproxycn>(env_), t.downFrom + label("proxycn") + t.downWait);
}

void tdaili::downhaozs()
{
    if (haozsurls.count() == 0)
        return;
    startWorker(std::make_unique<Tgethaozs>(env_, haozsurls), texts().downHaozs);
}

void tdaili::downproxynet()
{
    const Texts& t = texts();
    startWorker(std::make_unique<Tproxynet>(env_), t.downFrom + label("proxynet") + t.downSiteWait);
}

void tdaili::downros()
{
    startWorker(std::make_unique<tdownros>(env_), texts().downRos);
}

void tdaili::downproxylists()
{
    startWorker(std::make_unique<Tproxylists>(env_), texts().downProxylists);
}

void tdaili::downantipalivo()
{
    startWorker(std::make_unique<Tantipalivo>(env_), texts().downAntipalivo);
}

void tdaili::downurl()
{
    if (pageurls.count() == 0)
        return;
    startWorker(std::make_unique<Tdownurl>(env_, pageurls), texts().downUrl);
}

void tdaili::downsources(std::vector<UserSource> sources)
{
    if (sources.empty())
        return;
    startWorker(std::make_unique<Tusersources>(env_, std::move(sources)), texts().downUser);
}

} // namespace vorin
