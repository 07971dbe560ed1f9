#pragma once

#include "platform/appkit/views/view.h"

#include <memory>
#include <string>
#include <vector>

namespace appkit {

// Manages a view loaded from the controller's own interface file: "<class name>.json" in the
// main bundle's resources, loaded for the controller as its owner when the view is first asked
// for. The file wires the view to the owner's "view" outlet.
class ViewController : public Object {
public:
    // Loads the view on first use; a controller without an interface file gets a plain view.
    const std::shared_ptr<View>& view();
    void setView(std::shared_ptr<View> view) { view_ = std::move(view); }
    std::shared_ptr<View> viewIfLoaded() const { return view_; }
    bool isViewLoaded() const { return view_ != nullptr; }

    virtual void viewDidLoad() {}
    virtual void viewDidAppear() {}

protected:
    // The interface file's name without ".json"; the registered class name unless overridden.
    virtual std::string nibName() const;

private:
    void loadView();

    std::shared_ptr<View> view_;
    std::vector<std::shared_ptr<Object>> interfaceObjects_; // kept alive with the controller
};

} // namespace appkit
