#pragma once

#include <string>
#include <vector>

namespace tessaloc {

/// Akaike's and Schwarz's criteria of a model fitted by maximum likelihood.
struct InformationCriteria {
    double aic = 0.0;  ///< -2 log L + 2k
    double aicc = 0.0; ///< AIC + 2k(k + 1) / (m - k - 1), Hurvich and Tsai's small-sample correction
    double bic = 0.0;  ///< -2 log L + k log m
};

/// The criteria of a model with log-likelihood `logLikelihood`, `parameters` (k) parameters and
/// `observations` (m) data points; m must exceed k + 1.
InformationCriteria InformationCriteriaOf(double logLikelihood, int parameters, long long observations);

/// One model of a ranking, as the table of hypotheses lists it.
struct RankedModel {
    std::string name;
    int parameters = 0;
    double logLikelihood = 0.0;
    InformationCriteria criteria;
    double deltaAicc = 0.0; ///< AICc minus the smallest AICc of the models
    double weight = 0.0;    ///< Akaike weight: exp(-delta / 2) over its sum across the models
    double marginalRSquared = 0.0;
};

/// Fills every model's delta AICc and Akaike weight and sorts the models by AICc, ascending; models
/// with the same AICc keep their order.
void RankModels(std::vector<RankedModel>& models);

} // namespace tessaloc
