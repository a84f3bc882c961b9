#include "analyses/mixedmodel/ModelRanking.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessaloc {
namespace {

// A table worked by hand, m = 20 data points:
//   A: log L = -10,  k = 3: AIC = 26, AICc = 26 + 2*3*4/16 = 27.5,      BIC = 20 + 3 ln 20
//   B: log L = -12,  k = 4: AIC = 32, AICc = 32 + 2*4*5/15 = 34.6667,   BIC = 24 + 4 ln 20
//   C: log L = -9.5, k = 5: AIC = 29, AICc = 29 + 2*5*6/14 = 33.285714, BIC = 19 + 5 ln 20
// Sorted by AICc: A, C, B with delta 0, 5.785714 and 7.166667; the weights exp(-delta/2) / sum are
// 1, 0.0554183 and 0.0277829 over 1.0832012.
TEST(ModelRanking, CriteriaOfAHandWorkedTable)
{
    struct Row {
        double logLikelihood;
        int k;
        double aic, aicc, bic;
    };
    const Row rows[] = {{-10.0, 3, 26.0, 27.5, 20.0 + 3.0 * std::log(20.0)},
                        {-12.0, 4, 32.0, 32.0 + 40.0 / 15.0, 24.0 + 4.0 * std::log(20.0)},
                        {-9.5, 5, 29.0, 29.0 + 60.0 / 14.0, 19.0 + 5.0 * std::log(20.0)}};
    for (const Row& row : rows) {
        const InformationCriteria criteria = InformationCriteriaOf(row.logLikelihood, row.k, 20);
        EXPECT_DOUBLE_EQ(criteria.aic, row.aic) << "k = " << row.k;
        EXPECT_DOUBLE_EQ(criteria.aicc, row.aicc) << "k = " << row.k;
        EXPECT_DOUBLE_EQ(criteria.bic, row.bic) << "k = " << row.k;
    }
}

TEST(ModelRanking, SortsByAiccWithDeltaAndAkaikeWeights)
{
    std::vector<RankedModel> models;
    const std::pair<const char*, std::pair<double, int>> table[] = {
        {"A", {-10.0, 3}}, {"B", {-12.0, 4}}, {"C", {-9.5, 5}}};
    for (const auto& [name, fit] : table) {
        RankedModel model;
        model.name = name;
        model.logLikelihood = fit.first;
        model.parameters = fit.second;
        model.criteria = InformationCriteriaOf(fit.first, fit.second, 20);
        models.push_back(model);
    }
    RankModels(models);
    ASSERT_EQ(models.size(), 3u);
    EXPECT_EQ(models[0].name, "A");
    EXPECT_EQ(models[1].name, "C");
    EXPECT_EQ(models[2].name, "B");
    EXPECT_DOUBLE_EQ(models[0].deltaAicc, 0.0);
    EXPECT_NEAR(models[1].deltaAicc, 5.7857142857142857, 1e-12);
    EXPECT_NEAR(models[2].deltaAicc, 7.1666666666666667, 1e-12);
    EXPECT_NEAR(models[0].weight, 0.92319004878642620, 1e-12);
    EXPECT_NEAR(models[1].weight, 0.05116102306103582, 1e-12);
    EXPECT_NEAR(models[2].weight, 0.02564892815253806, 1e-12);
}

TEST(ModelRanking, EqualAiccKeepTheirOrderAndShareTheWeight)
{
    std::vector<RankedModel> models(2);
    models[0].name = "first";
    models[1].name = "second";
    models[0].criteria.aicc = models[1].criteria.aicc = 12.0;
    RankModels(models);
    EXPECT_EQ(models[0].name, "first");
    EXPECT_DOUBLE_EQ(models[0].weight, 0.5);
    EXPECT_DOUBLE_EQ(models[1].weight, 0.5);
}

} // namespace
} // namespace tessaloc
