#include "platform/linux/glib/FdWatch.hpp"

#include <utility>

namespace dorvane {
namespace {

struct FdSource {
    GSource base;
    FdWatchHooks* hooks;  // the source's own: freed in finalize, when its last reference goes
    gpointer descriptorTag;

    static FdSource& of(GSource* source) { return *reinterpret_cast<FdSource*>(source); }
};

gboolean prepare(GSource* source, gint* timeout) {
    *timeout = -1;
    const auto& hook = FdSource::of(source).hooks->prepare;
    return hook && hook();
}

gboolean check(GSource* source) {
    FdSource& self = FdSource::of(source);
    const auto& hook = self.hooks->check;
    return hook && hook(g_source_query_unix_fd(source, self.descriptorTag));
}

gboolean dispatch(GSource* source, GSourceFunc, gpointer) {
    const auto& hook = FdSource::of(source).hooks->dispatch;
    return hook && hook() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

void finalize(GSource* source) {
    FdSource& self = FdSource::of(source);
    if (self.hooks->finalize) {
        self.hooks->finalize();
    }
    delete self.hooks;
}

GSourceFuncs funcs = {prepare, check, dispatch, finalize, nullptr, nullptr};

}  // namespace

GSourcePtr watchFd(int descriptor, GIOCondition events, FdWatchHooks hooks, int priority) {
    GSourcePtr source(g_source_new(&funcs, sizeof(FdSource)));
    FdSource& self = FdSource::of(source.get());
    self.hooks = new FdWatchHooks(std::move(hooks));
    self.descriptorTag = g_source_add_unix_fd(source.get(), descriptor, events);
    g_source_set_priority(source.get(), priority);
    g_source_attach(source.get(), nullptr);
    return source;
}

}  // namespace dorvane
