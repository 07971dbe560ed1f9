#pragma once

#include "platform/foundation/wait_source.h"

#include <glib.h>
#include <vector>

namespace appkit {

// Serves a GLib main context from the run loop: its descriptors are polled with the loop's own,
// its timeouts bound the loop's wait, and its ready sources are dispatched after the wait.
class GlibMainContextSource final : public foundation::WaitSource {
public:
    // The context must already be owned by this thread (g_main_context_acquire).
    explicit GlibMainContextSource(GMainContext* context) : context_(context) {}

    int prepareToWait(std::vector<pollfd>& descriptors) override;
    void waitEnded(std::span<const pollfd> descriptors) override;

private:
    GMainContext* context_;
    std::vector<GPollFD> polled_ = std::vector<GPollFD>(8);
    gint count_ = 0;
    gint maxPriority_ = 0;
};

} // namespace appkit
