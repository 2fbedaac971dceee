// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <utility>
#include <vector>

// How alike two assessors score the same postures: the figures of agreement between two
// raters on one ordered integer scale. Every figure that cannot be computed (no pairs, no
// variation, a chance agreement of 1) is std::nullopt, never the result of a division by zero.
namespace rula::agreement {

// How often the first rater gave category i and the second category j (both 0-based).
class CrossTable
{
public:
    explicit CrossTable(int categories);

    // The table of `pairs` (first rater's value, second rater's value) on the scale
    // lowest..highest; a pair with a value outside the scale is left out.
    static CrossTable ofPairs(const std::vector<std::pair<int, int>>& pairs, int lowest, int highest);

    void add(int first, int second, double count = 1.0);
    int categories() const { return m_categories; }
    double count(int first, int second) const;
    double total() const { return m_total; }

private:
    int m_categories;
    double m_total = 0.0;
    std::vector<double> m_counts;
};

// A figure with its large-sample standard error and 95% confidence interval.
struct Estimate
{
    std::optional<double> value;
    std::optional<double> standardError;
    std::optional<double> low;
    std::optional<double> high;
};

// Agreement weights, row-major categories × categories, 1 on the diagonal.
using Weights = std::vector<double>;

// 1 on the diagonal, 0 elsewhere: Cohen's kappa.
Weights identityWeights(int categories);
// 1 - |i - j| / (q - 1); empty for a scale of one category.
Weights linearWeights(int categories);
// 1 - (i - j)² / (q - 1)²; empty for a scale of one category.
Weights quadraticWeights(int categories);

// The share of pairs with equal values.
std::optional<double> exactAgreement(const CrossTable& table);

// Weighted kappa (Cohen 1968) with the large-sample standard error of Fleiss, Cohen and
// Everitt (1969) and the interval kappa ± 1.96 standard errors.
Estimate weightedKappa(const CrossTable& table, const Weights& weights);

// Cohen's kappa (1960): weightedKappa with identity weights.
Estimate kappa(const CrossTable& table);
Estimate linearKappa(const CrossTable& table);
Estimate quadraticKappa(const CrossTable& table);

// Gwet's AC1 (2008): chance agreement (1/(q − 1)) Σ πₖ(1 − πₖ), πₖ the mean of the two
// raters' shares of category k.
std::optional<double> ac1(const CrossTable& table);

// The mean squares of the two-way analysis of variance of n targets × k raters.
struct TwoWayMeanSquares
{
    int targets = 0;
    int raters = 0;
    double betweenTargets = 0.0; // BMS
    double betweenRaters = 0.0;  // JMS
    double error = 0.0;          // EMS, the residual
};

// Ratings as rows of targets, one value per rater (every row as long as the first); nullopt
// for fewer than two targets or two raters.
std::optional<TwoWayMeanSquares> twoWayMeanSquares(const std::vector<std::vector<double>>& ratings);

// ICC(2,1) of Shrout and Fleiss (1979): two-way random effects, absolute agreement, single
// rater, with the approximate F-based 95% interval of Shrout and Fleiss / McGraw and Wong
// (1996). No standard error is given.
Estimate icc21(const std::vector<std::vector<double>>& ratings);

// The value of the F distribution with d1 and d2 degrees of freedom (need not be whole)
// below which `probability` of it lies.
std::optional<double> fQuantile(double probability, double d1, double d2);

// Every figure of one item.
struct ItemFigures
{
    int pairs = 0;
    std::optional<double> exactAgreement;
    Estimate kappa;
    Estimate linearKappa;
    Estimate quadraticKappa;
    std::optional<double> ac1;
    Estimate icc;
};

// The figures of `pairs` on the scale lowest..highest; pairs outside the scale are left out
// and not counted.
ItemFigures itemFigures(const std::vector<std::pair<int, int>>& pairs, int lowest, int highest);

// The agreement band of Landis and Koch (1977) for a kappa: "poor" below 0, "slight" to 0.20,
// "fair" to 0.40, "moderate" to 0.60, "substantial" to 0.80, "almost perfect" above.
const char* landisKochBand(double kappa);

} // namespace rula::agreement
