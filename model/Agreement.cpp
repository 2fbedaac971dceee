// SPDX-License-Identifier: GPL-3.0-or-later
#include "Agreement.h"

#include <cmath>
#include <cstddef>

namespace rula::agreement {

namespace {

// The 97.5% point of the standard normal distribution.
constexpr double Z975 = 1.959963984540054;

// Below this a denominator counts as zero: sums of shares are exact to far better.
constexpr double Tiny = 1e-12;

std::size_t cell(int categories, int first, int second)
{
    return static_cast<std::size_t>(first) * static_cast<std::size_t>(categories) + static_cast<std::size_t>(second);
}

Weights weightsOf(int categories, double power)
{
    if (categories < 2)
        return {};
    Weights weights(static_cast<std::size_t>(categories) * static_cast<std::size_t>(categories));
    for (int i = 0; i < categories; ++i) {
        for (int j = 0; j < categories; ++j)
            weights[cell(categories, i, j)] = 1.0 - std::pow(std::abs(i - j) / double(categories - 1), power);
    }
    return weights;
}

Estimate withInterval(double value, double variance)
{
    const double error = std::sqrt(std::max(variance, 0.0));
    return Estimate{value, error, value - Z975 * error, value + Z975 * error};
}

// The continued fraction of the regularized incomplete beta function (modified Lentz).
double betaFraction(double a, double b, double x)
{
    const double smallest = 1e-300;
    double c = 1.0;
    double d = 1.0 - (a + b) * x / (a + 1.0);
    d = 1.0 / (std::abs(d) < smallest ? smallest : d);
    double fraction = d;
    for (int m = 1; m <= 300; ++m) {
        for (int half = 0; half < 2; ++half) {
            const double numerator = half == 0 ? m * (b - m) * x / ((a + 2.0 * m - 1.0) * (a + 2.0 * m))
                                               : -(a + m) * (a + b + m) * x / ((a + 2.0 * m) * (a + 2.0 * m + 1.0));
            d = 1.0 + numerator * d;
            d = 1.0 / (std::abs(d) < smallest ? smallest : d);
            c = 1.0 + numerator / c;
            if (std::abs(c) < smallest)
                c = smallest;
            fraction *= d * c;
            if (half == 1 && std::abs(d * c - 1.0) < 1e-15)
                return fraction;
        }
    }
    return fraction;
}

// I_x(a, b), the regularized incomplete beta function.
double incompleteBeta(double a, double b, double x)
{
    if (x <= 0.0)
        return 0.0;
    if (x >= 1.0)
        return 1.0;
    const double front =
        std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) + a * std::log(x) + b * std::log1p(-x));
    if (x < (a + 1.0) / (a + b + 2.0))
        return front * betaFraction(a, b, x) / a;
    return 1.0 - front * betaFraction(b, a, 1.0 - x) / b;
}

} // namespace

CrossTable::CrossTable(int categories)
    : m_categories(std::max(categories, 0)),
      m_counts(static_cast<std::size_t>(m_categories) * static_cast<std::size_t>(m_categories), 0.0)
{
}

CrossTable CrossTable::ofPairs(const std::vector<std::pair<int, int>>& pairs, int lowest, int highest)
{
    CrossTable table(highest - lowest + 1);
    for (const auto& [first, second] : pairs) {
        if (first >= lowest && first <= highest && second >= lowest && second <= highest)
            table.add(first - lowest, second - lowest);
    }
    return table;
}

void CrossTable::add(int first, int second, double count)
{
    m_counts[cell(m_categories, first, second)] += count;
    m_total += count;
}

double CrossTable::count(int first, int second) const
{
    return m_counts[cell(m_categories, first, second)];
}

Weights identityWeights(int categories)
{
    Weights weights(static_cast<std::size_t>(categories) * static_cast<std::size_t>(categories), 0.0);
    for (int i = 0; i < categories; ++i)
        weights[cell(categories, i, i)] = 1.0;
    return weights;
}

Weights linearWeights(int categories)
{
    return weightsOf(categories, 1.0);
}

Weights quadraticWeights(int categories)
{
    return weightsOf(categories, 2.0);
}

std::optional<double> exactAgreement(const CrossTable& table)
{
    if (table.total() <= 0.0)
        return std::nullopt;
    double equal = 0.0;
    for (int i = 0; i < table.categories(); ++i)
        equal += table.count(i, i);
    return equal / table.total();
}

Estimate weightedKappa(const CrossTable& table, const Weights& weights)
{
    const int q = table.categories();
    const double n = table.total();
    if (n <= 0.0 || q < 1 || weights.size() != static_cast<std::size_t>(q) * static_cast<std::size_t>(q))
        return {};
    const auto w = [&](int i, int j) { return weights[cell(q, i, j)]; };
    const auto p = [&](int i, int j) { return table.count(i, j) / n; };
    std::vector<double> rows(static_cast<std::size_t>(q), 0.0);
    std::vector<double> columns(static_cast<std::size_t>(q), 0.0);
    for (int i = 0; i < q; ++i) {
        for (int j = 0; j < q; ++j) {
            rows[static_cast<std::size_t>(i)] += p(i, j);
            columns[static_cast<std::size_t>(j)] += p(i, j);
        }
    }
    double observed = 0.0;
    double chance = 0.0;
    for (int i = 0; i < q; ++i) {
        for (int j = 0; j < q; ++j) {
            observed += w(i, j) * p(i, j);
            chance += w(i, j) * rows[static_cast<std::size_t>(i)] * columns[static_cast<std::size_t>(j)];
        }
    }
    if (1.0 - chance < Tiny)
        return {};
    const double value = (observed - chance) / (1.0 - chance);

    // Fleiss, Cohen and Everitt (1969), the variance when kappa is not assumed to be 0.
    std::vector<double> rowMeans(static_cast<std::size_t>(q), 0.0);    // w̄ᵢ. = Σⱼ p.ⱼ wᵢⱼ
    std::vector<double> columnMeans(static_cast<std::size_t>(q), 0.0); // w̄.ⱼ = Σᵢ pᵢ. wᵢⱼ
    for (int i = 0; i < q; ++i) {
        for (int j = 0; j < q; ++j) {
            rowMeans[static_cast<std::size_t>(i)] += columns[static_cast<std::size_t>(j)] * w(i, j);
            columnMeans[static_cast<std::size_t>(j)] += rows[static_cast<std::size_t>(i)] * w(i, j);
        }
    }
    double sum = 0.0;
    for (int i = 0; i < q; ++i) {
        for (int j = 0; j < q; ++j) {
            const double term =
                w(i, j) -
                (rowMeans[static_cast<std::size_t>(i)] + columnMeans[static_cast<std::size_t>(j)]) * (1.0 - value);
            sum += p(i, j) * term * term;
        }
    }
    const double offset = value - chance * (1.0 - value);
    const double variance = (sum - offset * offset) / (n * (1.0 - chance) * (1.0 - chance));
    return withInterval(value, variance);
}

Estimate kappa(const CrossTable& table)
{
    return weightedKappa(table, identityWeights(table.categories()));
}

Estimate linearKappa(const CrossTable& table)
{
    return weightedKappa(table, linearWeights(table.categories()));
}

Estimate quadraticKappa(const CrossTable& table)
{
    return weightedKappa(table, quadraticWeights(table.categories()));
}

std::optional<double> ac1(const CrossTable& table)
{
    const int q = table.categories();
    const std::optional<double> observed = exactAgreement(table);
    if (!observed || q < 2)
        return std::nullopt;
    double chance = 0.0;
    for (int k = 0; k < q; ++k) {
        double first = 0.0;
        double second = 0.0;
        for (int other = 0; other < q; ++other) {
            first += table.count(k, other);
            second += table.count(other, k);
        }
        const double share = (first + second) / (2.0 * table.total());
        chance += share * (1.0 - share);
    }
    chance /= q - 1;
    if (1.0 - chance < Tiny)
        return std::nullopt;
    return (*observed - chance) / (1.0 - chance);
}

std::optional<TwoWayMeanSquares> twoWayMeanSquares(const std::vector<std::vector<double>>& ratings)
{
    const int n = int(ratings.size());
    const int k = n > 0 ? int(ratings.front().size()) : 0;
    if (n < 2 || k < 2)
        return std::nullopt;
    std::vector<double> rowSums(static_cast<std::size_t>(n), 0.0);
    std::vector<double> columnSums(static_cast<std::size_t>(k), 0.0);
    double total = 0.0;
    for (int i = 0; i < n; ++i) {
        if (int(ratings[static_cast<std::size_t>(i)].size()) != k)
            return std::nullopt;
        for (int j = 0; j < k; ++j) {
            const double x = ratings[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
            rowSums[static_cast<std::size_t>(i)] += x;
            columnSums[static_cast<std::size_t>(j)] += x;
            total += x;
        }
    }
    const double mean = total / (double(n) * k);
    double squares = 0.0;
    for (const std::vector<double>& row : ratings) {
        for (double x : row)
            squares += (x - mean) * (x - mean);
    }
    double targets = 0.0;
    for (double sum : rowSums)
        targets += k * (sum / k - mean) * (sum / k - mean);
    double raters = 0.0;
    for (double sum : columnSums)
        raters += n * (sum / n - mean) * (sum / n - mean);
    TwoWayMeanSquares result;
    result.targets = n;
    result.raters = k;
    result.betweenTargets = targets / (n - 1);
    result.betweenRaters = raters / (k - 1);
    result.error = std::max(squares - targets - raters, 0.0) / (double(n - 1) * (k - 1));
    return result;
}

Estimate icc21(const std::vector<std::vector<double>>& ratings)
{
    const std::optional<TwoWayMeanSquares> squares = twoWayMeanSquares(ratings);
    if (!squares)
        return {};
    const double n = squares->targets;
    const double k = squares->raters;
    const double bms = squares->betweenTargets;
    const double jms = squares->betweenRaters;
    const double ems = squares->error;
    const double denominator = bms + (k - 1.0) * ems + k * (jms - ems) / n;
    if (denominator < Tiny)
        return {};
    Estimate estimate;
    const double icc = (bms - ems) / denominator;
    estimate.value = icc;
    if (jms < Tiny && ems < Tiny) { // every rater gave every target the same value
        estimate.low = 1.0;
        estimate.high = 1.0;
        return estimate;
    }
    // The degrees of freedom of Satterthwaite's approximation, Shrout and Fleiss (1979) eq. 11,
    // McGraw and Wong (1996) Table 7, case 2A.
    const double a = k * icc / (n * (1.0 - icc));
    const double b = 1.0 + k * icc * (n - 1.0) / (n * (1.0 - icc));
    const double spread = (a * jms) * (a * jms) / (k - 1.0) + (b * ems) * (b * ems) / ((n - 1.0) * (k - 1.0));
    if (!(spread > Tiny) || icc >= 1.0)
        return estimate;
    const double v = (a * jms + b * ems) * (a * jms + b * ems) / spread;
    const std::optional<double> upperF = fQuantile(0.975, n - 1.0, v);
    const std::optional<double> lowerF = fQuantile(0.975, v, n - 1.0);
    if (!upperF || !lowerF)
        return estimate;
    const double spreadTerm = k * jms + (k * n - k - n) * ems;
    const double lowDenominator = *upperF * spreadTerm + n * bms;
    const double highDenominator = spreadTerm + n * *lowerF * bms;
    if (lowDenominator < Tiny || highDenominator < Tiny)
        return estimate;
    estimate.low = n * (bms - *upperF * ems) / lowDenominator;
    estimate.high = n * (*lowerF * bms - ems) / highDenominator;
    return estimate;
}

std::optional<double> fQuantile(double probability, double d1, double d2)
{
    if (!(probability > 0.0 && probability < 1.0 && d1 > 0.0 && d2 > 0.0) || !std::isfinite(d1) || !std::isfinite(d2))
        return std::nullopt;
    // The F value d2·x / (d1·(1 − x)) for the x where I_x(d1/2, d2/2) reaches `probability`.
    double low = 0.0;
    double high = 1.0;
    for (int step = 0; step < 200; ++step) {
        const double middle = 0.5 * (low + high);
        if (incompleteBeta(d1 / 2.0, d2 / 2.0, middle) < probability)
            low = middle;
        else
            high = middle;
    }
    const double x = 0.5 * (low + high);
    if (x >= 1.0)
        return std::nullopt;
    return d2 * x / (d1 * (1.0 - x));
}

ItemFigures itemFigures(const std::vector<std::pair<int, int>>& pairs, int lowest, int highest)
{
    const CrossTable table = CrossTable::ofPairs(pairs, lowest, highest);
    std::vector<std::vector<double>> ratings;
    ratings.reserve(pairs.size());
    for (const auto& [first, second] : pairs) {
        if (first >= lowest && first <= highest && second >= lowest && second <= highest)
            ratings.push_back({double(first), double(second)});
    }
    ItemFigures figures;
    figures.pairs = int(ratings.size());
    figures.exactAgreement = exactAgreement(table);
    figures.kappa = kappa(table);
    figures.linearKappa = linearKappa(table);
    figures.quadraticKappa = quadraticKappa(table);
    figures.ac1 = ac1(table);
    figures.icc = icc21(ratings);
    return figures;
}

const char* landisKochBand(double kappa)
{
    if (kappa < 0.0)
        return "poor";
    if (kappa <= 0.20)
        return "slight";
    if (kappa <= 0.40)
        return "fair";
    if (kappa <= 0.60)
        return "moderate";
    if (kappa <= 0.80)
        return "substantial";
    return "almost perfect";
}

} // namespace rula::agreement
