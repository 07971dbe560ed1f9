#include "platform/appkit/accessibility/glib_main_context_source.h"

namespace appkit {

int GlibMainContextSource::prepareToWait(std::vector<pollfd>& descriptors) {
    g_main_context_prepare(context_, &maxPriority_);
    gint timeout = -1;
    auto query = [&] {
        return g_main_context_query(context_, maxPriority_, &timeout, polled_.data(),
                                    static_cast<gint>(polled_.size()));
    };
    count_ = query();
    if (count_ > static_cast<gint>(polled_.size())) {
        polled_.resize(count_);
        count_ = query();
    }
    for (gint i = 0; i < count_; ++i)
        descriptors.push_back({polled_[i].fd, static_cast<short>(polled_[i].events), 0});
    return timeout;
}

void GlibMainContextSource::waitEnded(std::span<const pollfd> descriptors) {
    for (gint i = 0; i < count_ && static_cast<std::size_t>(i) < descriptors.size(); ++i)
        polled_[i].revents = static_cast<gushort>(descriptors[i].revents);
    if (g_main_context_check(context_, maxPriority_, polled_.data(), count_))
        g_main_context_dispatch(context_);
}

} // namespace appkit
