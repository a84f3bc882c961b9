#include "resistance/LayerRule.h"

#include "core/Errors.h"
#include "core/FieldReader.h"
#include "core/NumberText.h"

#include <cctype>
#include <cmath>
#include <optional>

namespace tessaloc {
namespace {

constexpr std::string_view kKnownRules = "classes=TABLE.csv, linear=MAXIMUM, or FAMILY=SHAPE,MAXIMUM with FAMILY "
                                         "monomolecular or ricker, optionally after reverse-, inverse- or "
                                         "inverse-reverse-";

double positiveNumber(std::string_view text, std::string_view what, std::string_view spec)
{
    const std::optional<double> value = parseDecimal(text);
    if (!value || !(*value > 0.0) || !std::isfinite(*value))
        throw LayerRuleError("the " + std::string(what) + " of the layer rule " + quotedField(spec) +
                             " must be a number greater than 0, not " + quotedField(text));
    return *value;
}

} // namespace

LayerRule parseLayerRule(std::string_view spec)
{
    const size_t equals = spec.find('=');
    if (equals == std::string_view::npos)
        throw LayerRuleError("the layer rule " + quotedField(spec) + " names no known rule; give " +
                             std::string(kKnownRules));
    std::string_view name = spec.substr(0, equals);
    const std::string_view value = spec.substr(equals + 1);
    if (name == "classes") {
        if (value.empty())
            throw LayerRuleError("the layer rule " + quotedField(spec) + " names no class table: classes=TABLE.csv");
        return ClassRule{std::filesystem::path(std::string(value))};
    }
    CurveRule rule;
    if (name.starts_with("inverse-")) {
        rule.inverse = true;
        name.remove_prefix(8);
    }
    if (name.starts_with("reverse-")) {
        rule.reverse = true;
        name.remove_prefix(8);
    }
    if (name == "monomolecular")
        rule.family = CurveFamily::Monomolecular;
    else if (name == "ricker")
        rule.family = CurveFamily::Ricker;
    else if (name == "linear" && !rule.inverse && !rule.reverse)
        rule.family = CurveFamily::Linear;
    else
        throw LayerRuleError("the layer rule " + quotedField(spec) + " names no known rule; give " +
                             std::string(kKnownRules));

    if (rule.family == CurveFamily::Linear) {
        if (value.find(',') != std::string_view::npos)
            throw LayerRuleError("the layer rule " + quotedField(spec) + " gives linear a shape; write linear=MAXIMUM");
        rule.maximum = positiveNumber(value, "maximum", spec);
        return rule;
    }
    const size_t comma = value.find(',');
    if (comma == std::string_view::npos)
        throw LayerRuleError("the layer rule " + quotedField(spec) +
                             " needs a shape and a maximum: " + std::string(spec.substr(0, equals)) + "=SHAPE,MAXIMUM");
    rule.shape = positiveNumber(value.substr(0, comma), "shape", spec);
    rule.maximum = positiveNumber(value.substr(comma + 1), "maximum", spec);
    return rule;
}

std::string curveName(const CurveRule& rule)
{
    std::string name = rule.inverse ? "inverse-" : "";
    if (rule.reverse)
        name += "reverse-";
    switch (rule.family) {
    case CurveFamily::Monomolecular:
        return name + "monomolecular";
    case CurveFamily::Ricker:
        return name + "ricker";
    case CurveFamily::Linear:
        break;
    }
    return name + "linear";
}

std::string layerRuleText(const LayerRule& rule)
{
    if (const auto* classes = std::get_if<ClassRule>(&rule))
        return "classes=" + classes->table.string();
    const auto& curve = std::get<CurveRule>(rule);
    if (curve.family == CurveFamily::Linear)
        return "linear=" + shortestText(curve.maximum);
    return curveName(curve) + "=" + shortestText(curve.shape) + "," + shortestText(curve.maximum);
}

std::pair<std::filesystem::path, std::string> splitLayerArgument(std::string_view argument)
{
    for (size_t colon = argument.rfind(':'); colon != std::string_view::npos && colon > 0;
         colon = argument.rfind(':', colon - 1)) {
        const std::string_view rest = argument.substr(colon + 1);
        size_t length = 0;
        while (length < rest.size() && (std::isalpha(static_cast<unsigned char>(rest[length])) || rest[length] == '-'))
            ++length;
        if (length > 0 && length < rest.size() && rest[length] == '=')
            return {std::filesystem::path(std::string(argument.substr(0, colon))), std::string(rest)};
    }
    throw LayerRuleError("--layer takes FILE:SPEC (a raster and its rule, as in landcover.tif:classes=table.csv or "
                         "elevation.tif:ricker=5,100), not " +
                         quotedField(argument));
}

double curveValue(const CurveRule& rule, double x)
{
    const double along = rule.reverse ? 10.0 - x : x;
    double g = along;
    switch (rule.family) {
    case CurveFamily::Monomolecular:
        g = 1.0 - std::exp(-along / rule.shape);
        break;
    case CurveFamily::Ricker:
        g = along * std::exp(-along / rule.shape);
        break;
    case CurveFamily::Linear:
        break;
    }
    return rule.inverse ? -g : g;
}

} // namespace tessaloc
