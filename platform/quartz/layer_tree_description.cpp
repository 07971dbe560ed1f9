#include "platform/quartz/layer_tree_description.h"

#include "platform/quartz/basic_animation.h"
#include "platform/quartz/gradient_layer.h"
#include "platform/quartz/shape_layer.h"
#include "platform/quartz/text_layer.h"

#include <cstdio>
#include <sstream>

namespace quartz {

namespace {

// Every number goes through describeNumber, so that output does not hang on stream settings.
struct Number {
    double value;
};

std::ostream& operator<<(std::ostream& out, Number number) {
    return out << describeNumber(number.value);
}

std::ostream& operator<<(std::ostream& out, Point point) {
    return out << '(' << Number{point.x} << ", " << Number{point.y} << ')';
}

std::ostream& operator<<(std::ostream& out, Size size) {
    return out << '(' << Number{size.width} << ", " << Number{size.height} << ')';
}

std::ostream& operator<<(std::ostream& out, const Rect& rect) {
    return out << '(' << Number{rect.origin.x} << ", " << Number{rect.origin.y} << ", "
               << Number{rect.width()} << ", " << Number{rect.height()} << ')';
}

std::ostream& operator<<(std::ostream& out, const Color& color) {
    return out << "rgba(" << Number{color.red()} << ", " << Number{color.green()} << ", "
               << Number{color.blue()} << ", " << Number{color.alpha()} << ')';
}

std::ostream& operator<<(std::ostream& out, const LayerValue& value) {
    if (const auto* color = std::get_if<Color>(&value))
        return out << *color;
    if (const auto* number = std::get_if<double>(&value))
        return out << Number{*number};
    if (const auto* point = std::get_if<Point>(&value))
        return out << *point;
    if (const auto* size = std::get_if<Size>(&value))
        return out << *size;
    if (const auto* rect = std::get_if<Rect>(&value))
        return out << *rect;
    return out << "none";
}

std::ostream& operator<<(std::ostream& out, const std::optional<Color>& color) {
    return color ? out << *color : out << "none";
}

template <typename T> std::ostream& operator<<(std::ostream& out, const std::vector<T>& values) {
    out << '[';
    for (std::size_t i = 0; i < values.size(); ++i) {
        out << (i ? ", " : "");
        if constexpr (std::is_arithmetic_v<T>)
            out << Number{static_cast<double>(values[i])};
        else
            out << values[i];
    }
    return out << ']';
}

const char* nameOf(BasicAnimation::FillMode mode) {
    switch (mode) {
    case BasicAnimation::FillMode::removed:
        return "removed";
    case BasicAnimation::FillMode::forwards:
        return "forwards";
    case BasicAnimation::FillMode::backwards:
        return "backwards";
    case BasicAnimation::FillMode::both:
        return "both";
    }
    return "?";
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

// Writes " name=value" for a property whose value differs from the default one.
class PropertyWriter {
public:
    explicit PropertyWriter(std::ostream& out) : out_(out) {}

    template <typename T> void operator()(const char* name, const T& value, const T& defaultValue) {
        if (value == defaultValue)
            return;
        out_ << ' ' << name << '=';
        if constexpr (std::is_arithmetic_v<T>)
            out_ << Number{static_cast<double>(value)};
        else
            out_ << value;
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
    out << " frame=" << layer.frame() << " position=" << layer.position() << " anchor=" << layer.anchorPoint()
        << " scale=" << Number{layer.contentsScale()};
    write("boundsOrigin", layer.bounds().origin, defaults->bounds().origin);
    write.flag("geometryFlipped", layer.geometryFlipped(), defaults->geometryFlipped());
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
    if (layer.delegate())
        out << " delegate";
}

void describeShape(const ShapeLayer& layer, PropertyWriter& write) {
    static const auto defaults = ShapeLayer::layer();
    write("fillColor", layer.fillColor(), defaults->fillColor());
}

void describeText(const TextLayer& layer, PropertyWriter& write, std::ostream& out) {
    static const auto defaults = TextLayer::layer();
    out << " string=\"" << layer.string() << "\" font=\"" << layer.font()
        << "\" fontSize=" << Number{layer.fontSize()} << " foregroundColor=" << layer.foregroundColor();
    if (layer.alignmentMode() != defaults->alignmentMode())
        out << " alignmentMode=" << nameOf(layer.alignmentMode());
    write.flag("wrapped", layer.wrapped(), defaults->wrapped());
}

void describeGradient(const GradientLayer& layer, std::ostream& out) {
    out << " colors=" << layer.colors();
    if (layer.locations())
        out << " locations=" << *layer.locations();
    out << " startPoint=" << layer.startPoint() << " endPoint=" << layer.endPoint();
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
        describeGradient(*gradient, out);
    } else {
        out << "Layer";
        describeLayerProperties(layer, write, out);
    }
}

void describeAnimation(const BasicAnimation& animation, const TreeDescriptionOptions& options,
                       std::ostream& out) {
    out << "animation " << animation.keyPath() << " from=" << animation.fromValue().value_or(LayerValue{})
        << " to=" << animation.toValue().value_or(LayerValue{})
        << " begin=" << Number{animation.beginTime() - options.timeOrigin}
        << " duration=" << Number{animation.duration()} << " fill=" << nameOf(animation.fillMode());
    if (animation.removedOnCompletion())
        out << " removedOnCompletion";
    if (options.now)
        out << (animation.isRunning(*options.now) ? " running" : " ended");
}

class TreeWriter {
public:
    TreeWriter(const TreeDescriptionOptions& options, std::ostream& out) : options_(options), out_(out) {}

    void describe(const Layer& layer, int depth, const char* role) {
        startLine(depth) << role;
        describeLine(layer, out_);
        out_ << '\n';
        for (const auto& key : layer.animationKeys()) {
            if (auto animation = layer.animationForKey(key)) {
                startLine(depth + 1);
                describeAnimation(*animation, options_, out_);
                out_ << '\n';
            }
        }
        if (layer.mask())
            describe(*layer.mask(), depth + 1, "mask: ");
        for (const auto& sublayer : layer.sublayers())
            describe(*sublayer, depth + 1, "");
    }

private:
    std::ostream& startLine(int depth) {
        return out_ << std::string(static_cast<std::size_t>(options_.indent + depth * 2), ' ');
    }

    const TreeDescriptionOptions& options_;
    std::ostream& out_;
};

} // namespace

std::string describeTree(const Layer& layer, const TreeDescriptionOptions& options) {
    std::ostringstream out;
    TreeWriter(options, out).describe(layer, 0, "");
    return out.str();
}

std::string describeNumber(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", value);
    std::string written = text;
    while (written.back() == '0')
        written.pop_back();
    if (written.back() == '.')
        written.pop_back();
    return written == "-0" ? "0" : written;
}

} // namespace quartz
