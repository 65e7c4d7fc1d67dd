#include "platform/linux/glib/GLibMainLoop.hpp"

#include <glib-unix.h>

namespace dorvane {
namespace {

// The timer's and the quit signals' callback: the source stays, so that the timer keeps ticking
// and a second Ctrl-C during a slow clean-up is heard too.
gboolean callHandlerAndKeepSource(gpointer handler) {
    (*static_cast<std::function<void()>*>(handler))();
    return G_SOURCE_CONTINUE;
}

}  // namespace

GLibMainLoop::GLibMainLoop() : loop_(g_main_loop_new(nullptr, FALSE)) {}

GLibMainLoop::~GLibMainLoop() {
    for (guint source : sources_) {
        g_source_remove(source);
    }
    g_main_loop_unref(loop_);
}

void GLibMainLoop::startRepeatingTimer(std::function<void()> tick) {
    tick_ = std::move(tick);
    sources_.push_back(g_timeout_add_seconds(1, callHandlerAndKeepSource, &tick_));
}

void GLibMainLoop::terminate() {
    terminated_ = true;
    g_main_loop_quit(loop_);
}

void GLibMainLoop::onQuitSignals(std::function<void()> handler) {
    signalHandler_ = std::move(handler);
    for (int signal : quitSignals) {
        sources_.push_back(g_unix_signal_add(signal, callHandlerAndKeepSource, &signalHandler_));
    }
}

void GLibMainLoop::run() {
    if (!terminated_) {
        g_main_loop_run(loop_);
    }
}

QuitSignalWatch::QuitSignalWatch() {
    for (int signal : quitSignals) {
        GSourcePtr source(g_unix_signal_source_new(signal));
        g_source_set_callback(
            source.get(),
            [](gpointer arrived) -> gboolean {
                *static_cast<bool*>(arrived) = true;
                return G_SOURCE_CONTINUE;
            },
            &arrived_, nullptr);
        g_source_attach(source.get(), nullptr);
        sources_.push_back(std::move(source));
    }
}

}  // namespace dorvane
