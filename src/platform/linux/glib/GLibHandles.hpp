#pragma once

#include <gio/gio.h>

#include <memory>

namespace dorvane {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};

// Holds one reference to a GObject (GAppInfo, GDesktopAppInfo, ...).
template <typename Object>
using GObjectPtr = std::unique_ptr<Object, GObjectUnref>;

struct GFreeDeleter {
    void operator()(gpointer memory) const { g_free(memory); }
};

using GCharPtr = std::unique_ptr<gchar, GFreeDeleter>;

struct GKeyFileDeleter {
    void operator()(GKeyFile* keyFile) const { g_key_file_free(keyFile); }
};

using GKeyFilePtr = std::unique_ptr<GKeyFile, GKeyFileDeleter>;

// A list whose elements each hold a GObject reference, as g_app_info_get_all returns it.
struct GObjectListDeleter {
    void operator()(GList* list) const { g_list_free_full(list, g_object_unref); }
};

using GObjectList = std::unique_ptr<GList, GObjectListDeleter>;

// Owns a GSource: detaches it from its context (if still attached) and drops the reference.
struct GSourceDeleter {
    void operator()(GSource* source) const {
        if (!g_source_is_destroyed(source)) {
            g_source_destroy(source);
        }
        g_source_unref(source);
    }
};

using GSourcePtr = std::unique_ptr<GSource, GSourceDeleter>;

struct GErrorDeleter {
    void operator()(GError* error) const { g_error_free(error); }
};

using GErrorPtr = std::unique_ptr<GError, GErrorDeleter>;

struct GVariantUnref {
    void operator()(GVariant* variant) const { g_variant_unref(variant); }
};

// Holds one reference to a GVariant, as a D-Bus reply gives it.
using GVariantPtr = std::unique_ptr<GVariant, GVariantUnref>;

struct GDBusNodeInfoUnref {
    void operator()(GDBusNodeInfo* info) const { g_dbus_node_info_unref(info); }
};

using GDBusNodeInfoPtr = std::unique_ptr<GDBusNodeInfo, GDBusNodeInfoUnref>;

}  // namespace dorvane
