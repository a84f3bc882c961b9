#include "analyses/mixedmodel/ModelRanking.h"

#include <algorithm>
#include <cmath>

namespace tessaloc {

InformationCriteria InformationCriteriaOf(double logLikelihood, int parameters, long long observations)
{
    const double k = parameters;
    const double m = static_cast<double>(observations);
    InformationCriteria criteria;
    criteria.aic = -2.0 * logLikelihood + 2.0 * k;
    criteria.aicc = criteria.aic + 2.0 * k * (k + 1.0) / (m - k - 1.0);
    criteria.bic = -2.0 * logLikelihood + k * std::log(m);
    return criteria;
}

void RankModels(std::vector<RankedModel>& models)
{
    std::stable_sort(models.begin(), models.end(),
                     [](const RankedModel& a, const RankedModel& b) { return a.criteria.aicc < b.criteria.aicc; });
    if (models.empty())
        return;
    const double smallest = models.front().criteria.aicc;
    double sum = 0.0;
    for (RankedModel& model : models) {
        model.deltaAicc = model.criteria.aicc - smallest;
        model.weight = std::exp(-0.5 * model.deltaAicc);
        sum += model.weight;
    }
    for (RankedModel& model : models)
        model.weight /= sum;
}

} // namespace tessaloc
