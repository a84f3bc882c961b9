#include "resistance/LayerRule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tessaloc {
namespace {

TEST(LayerRule, ReadsEveryFamilyWithItsPrefixes)
{
    struct Case {
        const char* spec;
        CurveFamily family;
        bool reverse;
        bool inverse;
        double shape;
        double maximum;
    };
    const Case cases[] = {
        {"monomolecular=5,100", CurveFamily::Monomolecular, false, false, 5.0, 100.0},
        {"ricker=2.5,1e3", CurveFamily::Ricker, false, false, 2.5, 1000.0},
        {"reverse-monomolecular=0.5,10", CurveFamily::Monomolecular, true, false, 0.5, 10.0},
        {"inverse-ricker=5,100", CurveFamily::Ricker, false, true, 5.0, 100.0},
        {"inverse-reverse-ricker=7,3", CurveFamily::Ricker, true, true, 7.0, 3.0},
        {"linear=50", CurveFamily::Linear, false, false, 1.0, 50.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spec);
        const LayerRule rule = parseLayerRule(c.spec);
        ASSERT_TRUE(std::holds_alternative<CurveRule>(rule));
        const auto& curve = std::get<CurveRule>(rule);
        EXPECT_EQ(curve.family, c.family);
        EXPECT_EQ(curve.reverse, c.reverse);
        EXPECT_EQ(curve.inverse, c.inverse);
        EXPECT_EQ(curve.shape, c.shape);
        EXPECT_EQ(curve.maximum, c.maximum);
    }
    const LayerRule classes = parseLayerRule("classes=tables/land cover.csv");
    ASSERT_TRUE(std::holds_alternative<ClassRule>(classes));
    EXPECT_EQ(std::get<ClassRule>(classes).table, "tables/land cover.csv");
}

TEST(LayerRule, TheTextOfARuleReadsBackAsTheSameRule)
{
    for (const char* spec : {"monomolecular=5,100", "inverse-reverse-ricker=0.25,7", "linear=3", "classes=a.csv"})
        EXPECT_EQ(layerRuleText(parseLayerRule(spec)), spec);
}

TEST(LayerRule, RulesThatCannotBeReadSayWhatIsExpected)
{
    // The message (or its start) for each; a number out of range states the range.
    const std::pair<const char*, std::string> cases[] = {
        {"ricker=0,100", "the shape of the layer rule \"ricker=0,100\" must be a number greater than 0, not \"0\""},
        {"ricker=5,-1", "the maximum of the layer rule \"ricker=5,-1\" must be a number greater than 0, not \"-1\""},
        {"monomolecular=x,1", "the shape of the layer rule \"monomolecular=x,1\" must be a number greater than 0"},
        {"linear=0", "the maximum of the layer rule \"linear=0\" must be a number greater than 0, not \"0\""},
        {"linear=5,10", "the layer rule \"linear=5,10\" gives linear a shape; write linear=MAXIMUM"},
        {"ricker=5", "the layer rule \"ricker=5\" needs a shape and a maximum: ricker=SHAPE,MAXIMUM"},
        {"gaussian=5,10", "the layer rule \"gaussian=5,10\" names no known rule; give classes=TABLE.csv"},
        {"reverse-inverse-ricker=5,10", "the layer rule \"reverse-inverse-ricker=5,10\" names no known rule"},
        {"reverse-linear=10", "the layer rule \"reverse-linear=10\" names no known rule"},
        {"classes", "the layer rule \"classes\" names no known rule"},
        {"classes=", "the layer rule \"classes=\" names no class table: classes=TABLE.csv"},
    };
    for (const auto& [spec, message] : cases) {
        try {
            parseLayerRule(spec);
            ADD_FAILURE() << spec << " was read";
        } catch (const LayerRuleError& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, message.size()), message) << spec;
        }
    }
}

TEST(LayerRule, ALayerArgumentSplitsAtTheColonBeforeTheRule)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"dem.tif:ricker=5,100", "dem.tif", "ricker=5,100"},
        {"C:/maps/dem.tif:linear=10", "C:/maps/dem.tif", "linear=10"}, // a colon in the file name
        {"lc.tif:classes=a:b.csv", "lc.tif", "classes=a:b.csv"},       // and one in the table's name
        {"a:b.tif:inverse-reverse-ricker=1,2", "a:b.tif", "inverse-reverse-ricker=1,2"},
    };
    for (const auto& [argument, file, spec] : cases) {
        const auto [splitFile, splitSpec] = splitLayerArgument(argument);
        EXPECT_EQ(splitFile, file) << argument;
        EXPECT_EQ(splitSpec, spec) << argument;
    }
    for (const char* argument : {"dem.tif", ":linear=10", "dem.tif:", "dem.tif:5,100"})
        EXPECT_THROW(splitLayerArgument(argument), LayerRuleError) << argument;
}

TEST(LayerRule, CurvesAtZeroTheShapeAndTen)
{
    // g at x = 0, S and 10 with S = 5, from the formulas by hand: monomolecular 1 - exp(-x/S) gives
    // 0, 1 - 1/e, 1 - 1/e^2; ricker x exp(-x/S) gives 0, 5/e, 10/e^2; reverse- reads them from the
    // other end, inverse- negates them.
    const double e = std::exp(1.0);
    const struct {
        const char* spec;
        double at0, atS, at10;
    } cases[] = {
        {"monomolecular=5,1", 0.0, 1 - 1 / e, 1 - 1 / (e * e)},
        {"ricker=5,1", 0.0, 5 / e, 10 / (e * e)},
        {"reverse-monomolecular=5,1", 1 - 1 / (e * e), 1 - 1 / e, 0.0},
        {"reverse-ricker=5,1", 10 / (e * e), 5 / e, 0.0},
        {"inverse-monomolecular=5,1", -0.0, -(1 - 1 / e), -(1 - 1 / (e * e))},
        {"inverse-reverse-ricker=5,1", -10 / (e * e), -5 / e, -0.0},
        {"linear=1", 0.0, 5.0, 10.0},
    };
    for (const auto& c : cases) {
        const auto rule = std::get<CurveRule>(parseLayerRule(c.spec));
        EXPECT_NEAR(curveValue(rule, 0.0), c.at0, 1e-15) << c.spec;
        EXPECT_NEAR(curveValue(rule, 5.0), c.atS, 1e-15) << c.spec;
        EXPECT_NEAR(curveValue(rule, 10.0), c.at10, 1e-15) << c.spec;
    }
}

} // namespace
} // namespace tessaloc
