#include "platform/appkit/accessibility/atk_accessible.h"

#include <map>
#include <string>

namespace appkit {

namespace {

struct VantrelAccessible {
    AtkObject parent;
    AccessibleNode* node;
    gchar* name;
    gchar* description;
};

struct VantrelAccessibleClass {
    AtkObjectClass parentClass;
};

void componentInit(AtkComponentIface* iface);
void actionInit(AtkActionIface* iface);

G_DEFINE_TYPE_WITH_CODE(VantrelAccessible, vantrel_accessible, ATK_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, componentInit)
                            G_IMPLEMENT_INTERFACE(ATK_TYPE_ACTION, actionInit))

// Never destroyed: the bridge may let objects go while the process exits.
std::map<const void*, AtkObject*>& served() {
    static auto* objects = new std::map<const void*, AtkObject*>;
    return *objects;
}

VantrelAccessible* accessibleOf(gpointer object) {
    return G_TYPE_CHECK_INSTANCE_TYPE(object, vantrel_accessible_get_type())
               ? reinterpret_cast<VantrelAccessible*>(object)
               : nullptr;
}

AccessibleNode& nodeOf(gpointer object) {
    return *reinterpret_cast<VantrelAccessible*>(object)->node;
}

// ATK hands out names it keeps; the last one given is kept with the object.
const gchar* kept(gchar*& slot, const std::string& text) {
    g_free(slot);
    slot = g_strdup(text.c_str());
    return slot;
}

AtkRole atkRole(NodeRole role) {
    switch (role) {
    case NodeRole::application:
        return ATK_ROLE_APPLICATION;
    case NodeRole::frame:
        return ATK_ROLE_FRAME;
    case NodeRole::label:
        return ATK_ROLE_LABEL;
    case NodeRole::pushButton:
        return ATK_ROLE_PUSH_BUTTON;
    case NodeRole::toolTip:
        return ATK_ROLE_TOOL_TIP;
    case NodeRole::panel:
        break;
    }
    return ATK_ROLE_PANEL;
}

const gchar* getName(AtkObject* object) {
    auto* accessible = accessibleOf(object);
    return kept(accessible->name, accessible->node->name());
}

const gchar* getDescription(AtkObject* object) {
    auto* accessible = accessibleOf(object);
    return kept(accessible->description, accessible->node->description());
}

AtkRole getRole(AtkObject* object) {
    return atkRole(nodeOf(object).role());
}

gint getChildCount(AtkObject* object) {
    return static_cast<gint>(nodeOf(object).children().size());
}

AtkObject* refChild(AtkObject* object, gint index) {
    auto children = nodeOf(object).children();
    if (index < 0 || static_cast<std::size_t>(index) >= children.size())
        return nullptr;
    return ATK_OBJECT(g_object_ref(atkObjectFor(std::move(children[index]), object)));
}

gint indexInParent(AtkObject* object) {
    auto* parent = accessibleOf(atk_object_get_parent(object));
    if (parent == nullptr)
        return -1;
    auto siblings = parent->node->children();
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i]->identity() == nodeOf(object).identity())
            return static_cast<gint>(i);
    }
    return -1;
}

AtkStateSet* refStateSet(AtkObject* object) {
    AtkStateSet* set = atk_state_set_new();
    const auto& node = nodeOf(object);
    if (!node.exists()) {
        atk_state_set_add_state(set, ATK_STATE_DEFUNCT);
        return set;
    }
    auto states = node.states();
    auto add = [set](bool present, std::initializer_list<AtkStateType> types) {
        for (auto type : types) {
            if (present)
                atk_state_set_add_state(set, type);
        }
    };
    add(states.enabled, {ATK_STATE_ENABLED, ATK_STATE_SENSITIVE});
    add(states.focusable, {ATK_STATE_FOCUSABLE});
    add(states.focused, {ATK_STATE_FOCUSED});
    add(states.showing, {ATK_STATE_VISIBLE, ATK_STATE_SHOWING});
    add(states.active, {ATK_STATE_ACTIVE});
    return set;
}

void finalize(GObject* object) {
    auto* accessible = accessibleOf(object);
    auto found = served().find(accessible->node->identity());
    if (found != served().end() && found->second == ATK_OBJECT(object))
        served().erase(found);
    delete accessible->node;
    g_free(accessible->name);
    g_free(accessible->description);
    G_OBJECT_CLASS(vantrel_accessible_parent_class)->finalize(object);
}

void vantrel_accessible_class_init(VantrelAccessibleClass* klass) {
    AtkObjectClass* atkClass = ATK_OBJECT_CLASS(klass);
    atkClass->get_name = getName;
    atkClass->get_description = getDescription;
    atkClass->get_role = getRole;
    atkClass->get_n_children = getChildCount;
    atkClass->ref_child = refChild;
    atkClass->get_index_in_parent = indexInParent;
    atkClass->ref_state_set = refStateSet;
    G_OBJECT_CLASS(klass)->finalize = finalize;
}

void vantrel_accessible_init(VantrelAccessible* accessible) {
    accessible->node = nullptr;
    accessible->name = nullptr;
    accessible->description = nullptr;
}

// The frame, a window, that holds an object: window coordinates are counted from its corner.
std::optional<ScreenRect> frameOfWindowHolding(AtkObject* object) {
    for (auto* accessible = accessibleOf(object); accessible != nullptr;
         accessible = accessibleOf(atk_object_get_parent(ATK_OBJECT(accessible)))) {
        if (accessible->node->role() == NodeRole::frame)
            return accessible->node->frameOnScreen();
    }
    return std::nullopt;
}

void getExtents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height,
                AtkCoordType coordinates) {
    auto frame = nodeOf(component).frameOnScreen().value_or(ScreenRect{-1, -1, -1, -1});
    if (coordinates == ATK_XY_WINDOW) {
        auto window = frameOfWindowHolding(ATK_OBJECT(component));
        frame.x -= window ? window->x : 0;
        frame.y -= window ? window->y : 0;
    }
    *x = frame.x;
    *y = frame.y;
    *width = frame.width;
    *height = frame.height;
}

void componentInit(AtkComponentIface* iface) {
    iface->get_extents = getExtents;
}

constexpr const char* pressName = "click";

gint actionCount(AtkAction* action) {
    return nodeOf(action).hasPress() ? 1 : 0;
}

gboolean doAction(AtkAction* action, gint index) {
    if (index != 0 || !nodeOf(action).hasPress())
        return FALSE;
    nodeOf(action).press();
    return TRUE;
}

const gchar* actionName(AtkAction* action, gint index) {
    return index == 0 && nodeOf(action).hasPress() ? pressName : nullptr;
}

void actionInit(AtkActionIface* iface) {
    iface->get_n_actions = actionCount;
    iface->do_action = doAction;
    iface->get_name = actionName;
    iface->get_localized_name = actionName;
}

} // namespace

AtkObject* atkObjectFor(std::unique_ptr<AccessibleNode> node, AtkObject* parent) {
    const void* identity = node->identity();
    if (auto* object = servedAtkObject(identity))
        return object;
    auto* accessible = static_cast<VantrelAccessible*>(g_object_new(vantrel_accessible_get_type(), nullptr));
    accessible->node = node.release();
    AtkObject* object = ATK_OBJECT(accessible);
    if (parent != nullptr)
        atk_object_set_parent(object, parent);
    served()[identity] = object;
    return object;
}

AtkObject* servedAtkObject(const void* identity) {
    auto found = served().find(identity);
    if (found == served().end())
        return nullptr;
    if (nodeOf(found->second).exists())
        return found->second;
    // What it stood for went away, and something new may have its address.
    AtkObject* stale = found->second;
    served().erase(found);
    g_object_unref(stale);
    return nullptr;
}

} // namespace appkit
