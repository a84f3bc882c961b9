#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

namespace tessaloc {

/// A layer of class codes (land cover) whose cells take the resistance a class table gives their
/// code (see ReadClassTable).
struct ClassRule {
    std::filesystem::path table;
};

/// The curves a continuous layer goes through, after its cells are rescaled linearly to x in
/// [0, 10] (smallest cell 0, largest 10).
enum class CurveFamily {
    Monomolecular, ///< g = 1 - exp(-x / S): rises fast, then levels off
    Ricker,        ///< g = x exp(-x / S): rises to a peak at x = S, then falls
    Linear,        ///< g = x
};

/// A continuous layer: the curve g of its rescaled cells, itself rescaled so that the layer's
/// resistances run from exactly 1 to exactly 1 + maximum: R = 1 + M (g - gmin) / (gmax - gmin).
struct CurveRule {
    CurveFamily family = CurveFamily::Linear;
    /// Uses 10 - x in place of x (`reverse-`; not for linear).
    bool reverse = false;
    /// Uses -g in place of g (`inverse-`; not for linear).
    bool inverse = false;
    /// S, above 0 (unused by linear).
    double shape = 1.0;
    /// M, above 0.
    double maximum = 1.0;
};

using LayerRule = std::variant<ClassRule, CurveRule>;

/// A layer's rule that cannot be read: what() says what was expected, with the range of a number.
class LayerRuleError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

/// Reads a rule as the batch program's `--layer FILE:SPEC` gives it: `classes=TABLE.csv`;
/// `FAMILY=SHAPE,MAXIMUM` with FAMILY `monomolecular` or `ricker`, either after `reverse-`,
/// `inverse-` or `inverse-reverse-`; or `linear=MAXIMUM`. Throws LayerRuleError for a rule of no
/// known name, a table name that is empty, or numbers that are missing, not numbers, or not above 0.
LayerRule parseLayerRule(std::string_view spec);

/// The rule as parseLayerRule reads it ("ricker=5,100", "classes=landcover.csv"); numbers in their
/// shortest exact form.
std::string layerRuleText(const LayerRule& rule);

/// A `--layer` value split into the layer's file and its rule: the rule starts after the last colon
/// that is followed by a name and "=" (a file name may hold colons itself). Throws LayerRuleError
/// when there is no such colon or either part is empty.
std::pair<std::filesystem::path, std::string> splitLayerArgument(std::string_view argument);

/// The name of a curve with its prefixes ("inverse-reverse-ricker").
std::string curveName(const CurveRule& rule);

/// g(x) of the rule, x in [0, 10]: the family's curve at x (or at 10 - x when reversed), negated when
/// inverse.
double curveValue(const CurveRule& rule, double x);

} // namespace tessaloc
