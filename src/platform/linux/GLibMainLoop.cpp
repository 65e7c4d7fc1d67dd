#include "platform/linux/GLibMainLoop.hpp"

#include <glib-unix.h>

namespace dorvane {
namespace {

gboolean callRepeatedly(gpointer function) {
    (*static_cast<std::function<void()>*>(function))();
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
    sources_.push_back(g_timeout_add_seconds(1, callRepeatedly, &tick_));
}

void GLibMainLoop::terminate() {
    g_main_loop_quit(loop_);
}

void GLibMainLoop::onSignals(std::initializer_list<int> signals, std::function<void()> handler) {
    signalHandler_ = std::move(handler);
    for (int signal : signals) {
        sources_.push_back(g_unix_signal_add(signal, callRepeatedly, &signalHandler_));
    }
}

void GLibMainLoop::run() {
    g_main_loop_run(loop_);
}

}  // namespace dorvane
