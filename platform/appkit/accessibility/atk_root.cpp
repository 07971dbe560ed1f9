#include "platform/appkit/accessibility/atk_root.h"

#include <map>
#include <string>
#include <utility>

namespace appkit {

namespace {

AtkObject* rootObject = nullptr;

// Listener ids handed to the bridge, each with its signal and emission hook.
// Never destroyed: the bridge may remove listeners while the process exits.
std::map<guint, std::pair<guint, gulong>>& listeners() {
    static auto* installed = new std::map<guint, std::pair<guint, gulong>>;
    return *installed;
}

AtkObject* getRoot() {
    return rootObject;
}

const gchar* toolkitName() {
    return "Vantrel";
}

const gchar* toolkitVersion() {
    return "1";
}

// The bridge names events "toolkit:type:signal", e.g. "Gtk:AtkObject:state-change"; names
// without a type (window events) are not ours to emit.
guint addGlobalEventListener(GSignalEmissionHook listener, const gchar* eventType) {
    gchar** parts = g_strsplit(eventType, ":", 3);
    guint id = 0;
    if (g_strv_length(parts) == 3) {
        GType type = g_type_from_name(parts[1]);
        if (type != 0 && G_TYPE_IS_INTERFACE(type))
            g_type_default_interface_ref(type); // its signals exist once its vtable does
        guint signal = type != 0 ? g_signal_lookup(parts[2], type) : 0;
        if (signal != 0) {
            gulong hook = g_signal_add_emission_hook(signal, 0, listener, nullptr, nullptr);
            static guint nextId = 1;
            id = nextId++;
            listeners()[id] = {signal, hook};
        }
    }
    g_strfreev(parts);
    return id;
}

void removeGlobalEventListener(guint id) {
    auto found = listeners().find(id);
    if (found == listeners().end())
        return;
    g_signal_remove_emission_hook(found->second.first, found->second.second);
    listeners().erase(found);
}

} // namespace

void installAtkRoot(AtkObject* root) {
    rootObject = root;
    g_type_class_ref(ATK_TYPE_OBJECT);
    auto* util = ATK_UTIL_CLASS(g_type_class_ref(ATK_TYPE_UTIL));
    util->get_root = getRoot;
    util->get_toolkit_name = toolkitName;
    util->get_toolkit_version = toolkitVersion;
    util->add_global_event_listener = addGlobalEventListener;
    util->remove_global_event_listener = removeGlobalEventListener;
}

} // namespace appkit
