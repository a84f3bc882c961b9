#include "analyses/modelcomparison/ModelComparison.h"
#include "tests/analyses/mixedmodel/MlpeTestData.h"

#include "analyses/mixedmodel/MlpeModel.h"
#include "core/Errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tessaloc {
namespace {

using testing::smallGenetic;
using testing::smallX1;
using testing::smallX2;

ModelComparisonResult smallComparison()
{
    std::vector<PredictorMatrix> predictors = {{"x1", "a test matrix", smallX1()}, {"x2", "a test matrix", smallX2()}};
    return ComputeModelComparison(smallGenetic(), std::move(predictors), {"one", "two", "both"}, {{0}, {1}, {0, 1}},
                                  RunListener::none());
}

// Each row is the ML fit of its model on the same pairs, the null model added; the rows come sorted
// by AICc with their delta and Akaike weights.
TEST(ModelComparison, RanksEveryModelAndTheNullModel)
{
    const ModelComparisonResult result = smallComparison();
    ASSERT_EQ(result.ranking.size(), 4u);
    ASSERT_EQ(result.models.size(), 4u);
    EXPECT_EQ(result.models.back().name, "null");
    double weights = 0.0;
    for (size_t k = 0; k < result.ranking.size(); ++k) {
        if (k > 0) {
            EXPECT_LE(result.ranking[k - 1].criteria.aicc, result.ranking[k].criteria.aicc);
        }
        EXPECT_DOUBLE_EQ(result.ranking[k].deltaAicc,
                         result.ranking[k].criteria.aicc - result.ranking[0].criteria.aicc);
        weights += result.ranking[k].weight;
    }
    EXPECT_NEAR(weights, 1.0, 1e-15);
    // The model of both predictors is the lme4 fit of MlpeLme4Test (ML, log L = -20.721994744914689).
    for (const RankedModel& model : result.ranking) {
        if (model.name == "both") {
            EXPECT_NEAR(model.logLikelihood, -20.721994744914689, 1e-6 * 20.72);
            EXPECT_EQ(model.parameters, 5);
        }
        if (model.name == "null") {
            EXPECT_EQ(model.parameters, 3);
            EXPECT_EQ(model.marginalRSquared, 0.0);
        }
    }
}

TEST(ModelComparison, TableHasTheHeaderAndOneRowPerModel)
{
    ModelComparisonResult result;
    RankedModel model;
    model.name = "forest, dense";
    model.parameters = 4;
    model.logLikelihood = -1.5;
    model.criteria = {11.0, 12.25, 13.0};
    model.deltaAicc = 0.0;
    model.weight = 0.75;
    model.marginalRSquared = 0.125;
    result.ranking.push_back(model);
    EXPECT_EQ(ModelTable(result), "model,k,loglik,aic,aicc,delta_aicc,weight,r2_marginal\r\n"
                                  "\"forest, dense\",4,-1.5,11,12.25,0,0.75,0.125\r\n");
}

struct BadHypotheses {
    const char* name;
    std::vector<HypothesisModel> models;
    const char* message;
};

TEST(ModelComparison, BadHypothesesStopTheRunWithAMessage)
{
    const GeoDistanceSettings straight;
    const GeoDistanceSettings surface{GeoDistanceKind::Circuit, "forest.tif"};
    const BadHypotheses cases[] = {
        {"None", {}, "The comparison needs at least one model besides the null model."},
        {"Unnamed", {{"", {straight}}}, "Model 1 has no name."},
        {"NamedNull", {{"null", {straight}}}, "The model name \"null\" is given twice"},
        {"RepeatedName", {{"a", {straight}}, {"a", {surface}}}, "The model name \"a\" is given twice"},
        {"WithoutPredictor", {{"a", {}}}, "The model \"a\" has no predictor."},
        {"RepeatedPredictor",
         {{"a", {surface, straight, surface}}},
         "The model \"a\" names the predictor \"resistance:forest.tif\" twice"},
        {"SurfaceWithoutFile",
         {{"a", {{GeoDistanceKind::LeastCost, ""}}}},
         "No file is named for predictor 1 of the model"},
    };
    for (const BadHypotheses& c : cases) {
        try {
            requireValidHypotheses(c.models);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const DataProblem& problem) {
            EXPECT_NE(std::string(problem.what()).find(c.message), std::string::npos)
                << c.name << ": " << problem.what();
        }
    }
}

TEST(ModelComparison, ACollinearModelIsNamedInTheMessage)
{
    PackedDistances twice = smallX1();
    for (double& value : twice.values())
        value *= 2.0;
    std::vector<PredictorMatrix> predictors = {{"x1", "a test matrix", smallX1()}, {"twice", "a test matrix", twice}};
    try {
        ComputeModelComparison(smallGenetic(), std::move(predictors), {"one", "both"}, {{0}, {0, 1}},
                               RunListener::none());
        FAIL() << "no error";
    } catch (const DataProblem& problem) {
        EXPECT_EQ(std::string(problem.what())
                      .rfind("The model \"both\": The predictors \"x1\" and \"twice\" are exactly "
                             "collinear",
                             0),
                  0u)
            << problem.what();
    }
}

} // namespace
} // namespace tessaloc
