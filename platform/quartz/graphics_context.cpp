#include "platform/quartz/graphics_context.h"

namespace quartz {

namespace {

thread_local GraphicsContext* currentContext = nullptr;

} // namespace

GraphicsContext* GraphicsContext::current() {
    return currentContext;
}

GraphicsContext::Scope::Scope(GraphicsContext& context) : previous_(currentContext) {
    currentContext = &context;
}

GraphicsContext::Scope::~Scope() {
    currentContext = previous_;
}

} // namespace quartz
