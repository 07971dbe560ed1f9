#include "platform/quartz/layer_tree_description.h"

#include "platform/quartz/gradient_layer.h"
#include "platform/quartz/shape_layer.h"
#include "platform/quartz/text_layer.h"

#include <sstream>

namespace quartz {

namespace {

std::ostream& operator<<(std::ostream& out, Point point) {
    return out << '(' << point.x << ", " << point.y << ')';
}

std::ostream& operator<<(std::ostream& out, Size size) {
    return out << '(' << size.width << ", " << size.height << ')';
}

std::ostream& operator<<(std::ostream& out, const Rect& rect) {
    return out << '(' << rect.origin.x << ", " << rect.origin.y << ", " << rect.width() << ", "
               << rect.height() << ')';
}

std::ostream& operator<<(std::ostream& out, const Color& color) {
    return out << "rgba(" << color.red() << ", " << color.green() << ", " << color.blue() << ", "
               << color.alpha() << ')';
}

std::ostream& operator<<(std::ostream& out, const std::optional<Color>& color) {
    return color ? out << *color : out << "none";
}

template <typename T> std::ostream& operator<<(std::ostream& out, const std::vector<T>& values) {
    out << '[';
    for (std::size_t i = 0; i < values.size(); ++i)
        out << (i ? ", " : "") << values[i];
    return out << ']';
}

const char* nameOf(TextLayer::AlignmentMode mode) {
    switch (mode) {
    case TextLayer::AlignmentMode::natural:
        return "natural";
    case TextLayer::AlignmentMode::left:
        return "left";
    case TextLayer::AlignmentMode::right:
        return "right";
    case TextLayer::AlignmentMode::center:
        return "center";
    case TextLayer::AlignmentMode::justified:
        return "justified";
    }
    return "?";
}

const char* nameOf(TextLayer::TruncationMode mode) {
    switch (mode) {
    case TextLayer::TruncationMode::none:
        return "none";
    case TextLayer::TruncationMode::start:
        return "start";
    case TextLayer::TruncationMode::end:
        return "end";
    case TextLayer::TruncationMode::middle:
        return "middle";
    }
    return "?";
}

// Writes " name=value" for a property whose value differs from the default one.
class PropertyWriter {
public:
    explicit PropertyWriter(std::ostream& out) : out_(out) {}

    template <typename T> void operator()(const char* name, const T& value, const T& defaultValue) {
        if (value != defaultValue)
            out_ << ' ' << name << '=' << value;
    }
    void flag(const char* name, bool value, bool defaultValue) {
        if (value != defaultValue)
            out_ << ' ' << name << '=' << (value ? "true" : "false");
    }

private:
    std::ostream& out_;
};

void describeLayerProperties(const Layer& layer, PropertyWriter& write, std::ostream& out) {
    static const auto defaults = Layer::layer();
    out << " frame=" << layer.frame();
    write("boundsOrigin", layer.bounds().origin, defaults->bounds().origin);
    write("anchorPoint", layer.anchorPoint(), defaults->anchorPoint());
    write.flag("geometryFlipped", layer.geometryFlipped(), defaults->geometryFlipped());
    write.flag("hidden", layer.hidden(), defaults->hidden());
    write("backgroundColor", layer.backgroundColor(), defaults->backgroundColor());
    write("borderColor", layer.borderColor(), defaults->borderColor());
    write("borderWidth", layer.borderWidth(), defaults->borderWidth());
    write("cornerRadius", layer.cornerRadius(), defaults->cornerRadius());
    write.flag("masksToBounds", layer.masksToBounds(), defaults->masksToBounds());
    write("opacity", layer.opacity(), defaults->opacity());
    write("shadowColor", layer.shadowColor(), defaults->shadowColor());
    write("shadowOpacity", layer.shadowOpacity(), defaults->shadowOpacity());
    write("shadowRadius", layer.shadowRadius(), defaults->shadowRadius());
    write("shadowOffset", layer.shadowOffset(), defaults->shadowOffset());
    if (layer.contents())
        out << " contents=" << layer.contents()->width() << 'x' << layer.contents()->height();
    write("contentsScale", layer.contentsScale(), defaults->contentsScale());
    if (layer.delegate())
        out << " delegate";
    write("animations", layer.animationKeys(), defaults->animationKeys());
}

void describeShape(const ShapeLayer& layer, PropertyWriter& write) {
    static const auto defaults = ShapeLayer::layer();
    write("fillColor", layer.fillColor(), defaults->fillColor());
}

void describeText(const TextLayer& layer, PropertyWriter& write, std::ostream& out) {
    static const auto defaults = TextLayer::layer();
    if (layer.string() != defaults->string())
        out << " string=\"" << layer.string() << '"';
    if (layer.font() != defaults->font())
        out << " font=\"" << layer.font() << '"';
    write("fontSize", layer.fontSize(), defaults->fontSize());
    write("foregroundColor", layer.foregroundColor(), defaults->foregroundColor());
    if (layer.alignmentMode() != defaults->alignmentMode())
        out << " alignmentMode=" << nameOf(layer.alignmentMode());
    write.flag("wrapped", layer.wrapped(), defaults->wrapped());
    if (layer.truncationMode() != defaults->truncationMode())
        out << " truncationMode=" << nameOf(layer.truncationMode());
}

void describeGradient(const GradientLayer& layer, PropertyWriter& write, std::ostream& out) {
    static const auto defaults = GradientLayer::layer();
    write("colors", layer.colors(), defaults->colors());
    if (layer.locations())
        out << " locations=" << *layer.locations();
    write("startPoint", layer.startPoint(), defaults->startPoint());
    write("endPoint", layer.endPoint(), defaults->endPoint());
}

void describeLine(const Layer& layer, std::ostream& out) {
    PropertyWriter write(out);
    if (const auto* shape = dynamic_cast<const ShapeLayer*>(&layer)) {
        out << "ShapeLayer";
        describeLayerProperties(layer, write, out);
        describeShape(*shape, write);
    } else if (const auto* text = dynamic_cast<const TextLayer*>(&layer)) {
        out << "TextLayer";
        describeLayerProperties(layer, write, out);
        describeText(*text, write, out);
    } else if (const auto* gradient = dynamic_cast<const GradientLayer*>(&layer)) {
        out << "GradientLayer";
        describeLayerProperties(layer, write, out);
        describeGradient(*gradient, write, out);
    } else {
        out << "Layer";
        describeLayerProperties(layer, write, out);
    }
}

void describe(const Layer& layer, int depth, const char* role, std::ostream& out) {
    out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << role;
    describeLine(layer, out);
    out << '\n';
    if (layer.mask())
        describe(*layer.mask(), depth + 1, "mask: ", out);
    for (const auto& sublayer : layer.sublayers())
        describe(*sublayer, depth + 1, "", out);
}

} // namespace

std::string describeTree(const Layer& layer) {
    std::ostringstream out;
    describe(layer, 0, "", out);
    return out.str();
}

} // namespace quartz
