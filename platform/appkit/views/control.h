#pragma once

#include "platform/appkit/views/font.h"
#include "platform/appkit/views/view.h"

#include <memory>
#include <optional>
#include <string>

namespace appkit {

// A view that sends an action to a target. The target is not owned.
class Control : public View {
public:
    std::shared_ptr<Object> target() const { return target_.lock(); }
    void setTarget(std::shared_ptr<Object> target) { target_ = target; }
    const std::string& action() const { return action_; }
    void setAction(const std::string& action) { action_ = action; }
    // Sends the action to the target by name; false when there is no target or it has no such
    // action.
    bool sendAction(const std::string& action, const std::shared_ptr<Object>& target);

    bool isEnabled() const { return enabled_; }
    virtual void setEnabled(bool enabled);

    // The system font unless the interface file or code gives another; code may also take it away.
    const std::optional<Font>& font() const { return font_; }
    virtual void setFont(std::optional<Font> font);

    bool initWithCoder(const Coder& coder) override;

private:
    std::weak_ptr<Object> target_;
    std::string action_;
    bool enabled_ = true;
    std::optional<Font> font_ = Font::systemFontOfSize(Font::systemFontSize);
};

} // namespace appkit
