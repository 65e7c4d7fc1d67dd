/* The workspace handles that events of zcosmic_toplevel_handle_v1 carry belong to COSMIC's and the
 * staging workspace protocols, which this program does not use. The generated code refers to an
 * interface by its name, so each is named here, with none of its messages: a compositor sends a
 * client only workspace handles it made for it, and neither end here binds a workspace list. */
#include <wayland-util.h>

extern const struct wl_interface zcosmic_workspace_handle_v1_interface;
extern const struct wl_interface ext_workspace_handle_v1_interface;

const struct wl_interface zcosmic_workspace_handle_v1_interface = {
    "zcosmic_workspace_handle_v1", 1, 0, NULL, 0, NULL};
const struct wl_interface ext_workspace_handle_v1_interface = {
    "ext_workspace_handle_v1", 1, 0, NULL, 0, NULL};
