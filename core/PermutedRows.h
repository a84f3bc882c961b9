#pragma once

#include "core/DistanceCodes.h"
#include "core/Permutations.h"
#include "core/SquareMatrix.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessaloc {

// The pass of the permutation tests over the genetic matrix G: four rearranged arrangements at
// once (lanes l = 0..3, arrangement G(p_l(i), p_l(j))), row i by row i. permutedLanes(G, p) gives
// the four arrangements and its row(i) their row i; a caller sums what it needs from each row,
// pair by pair in its own fixed order. The four lanes' sums are independent chains of additions,
// which the processor overlaps. Every lane's sum receives exactly the terms, in exactly the order,
// that the same sum over the rearranged matrix would, so it is equal to it bit for bit. The row
// loop stays in the caller, so that its sums and positions stay in registers.

/// Row i of the four arrangements, read through 16-bit codes with the four permutations packed side
/// by side: one 64-bit load gives the four positions p_l(j), and four rows of codes fit the
/// first-level cache together.
class CodedPermutedRows {
public:
    CodedPermutedRows(const DistanceCodes& genetic, const std::uint64_t* packed, int i)
        : m_values(genetic.values())
        , m_packed(packed)
    {
        const std::uint64_t rows = packed[i];
        m_row0 = genetic.row(static_cast<int>(rows & 0xFFFF));
        m_row1 = genetic.row(static_cast<int>((rows >> 16) & 0xFFFF));
        m_row2 = genetic.row(static_cast<int>((rows >> 32) & 0xFFFF));
        m_row3 = genetic.row(static_cast<int>(rows >> 48));
    }

    /// Adds G(p_l(i), p_l(j)) to s_l for the four lanes.
    void add(std::size_t j, double& s0, double& s1, double& s2, double& s3) const
    {
        const std::uint64_t at = m_packed[j];
        s0 += m_values[m_row0[at & 0xFFFF]];
        s1 += m_values[m_row1[(at >> 16) & 0xFFFF]];
        s2 += m_values[m_row2[(at >> 32) & 0xFFFF]];
        s3 += m_values[m_row3[at >> 48]];
    }

    /// Reads G(p_l(i), p_l(j)) of the four lanes into g_l.
    void get(std::size_t j, double& g0, double& g1, double& g2, double& g3) const
    {
        const std::uint64_t at = m_packed[j];
        g0 = m_values[m_row0[at & 0xFFFF]];
        g1 = m_values[m_row1[(at >> 16) & 0xFFFF]];
        g2 = m_values[m_row2[(at >> 32) & 0xFFFF]];
        g3 = m_values[m_row3[at >> 48]];
    }

    /// Adds G(p_l(i), p_l(j)) x weight to s_l for the four lanes.
    void addTimes(std::size_t j, double weight, double& s0, double& s1, double& s2, double& s3) const
    {
        const std::uint64_t at = m_packed[j];
        s0 += m_values[m_row0[at & 0xFFFF]] * weight;
        s1 += m_values[m_row1[(at >> 16) & 0xFFFF]] * weight;
        s2 += m_values[m_row2[(at >> 32) & 0xFFFF]] * weight;
        s3 += m_values[m_row3[at >> 48]] * weight;
    }

private:
    const double* m_values;
    const std::uint64_t* m_packed;
    const std::uint16_t* m_row0;
    const std::uint16_t* m_row1;
    const std::uint16_t* m_row2;
    const std::uint16_t* m_row3;
};

/// Row i of the four arrangements read from the matrix of doubles, for matrices with more distinct
/// values (or more rows) than the codes hold.
class PlainPermutedRows {
public:
    PlainPermutedRows(const SquareMatrix& genetic, const std::int32_t* const* p, int i)
        : m_p0(p[0])
        , m_p1(p[1])
        , m_p2(p[2])
        , m_p3(p[3])
        , m_row0(genetic.row(p[0][i]))
        , m_row1(genetic.row(p[1][i]))
        , m_row2(genetic.row(p[2][i]))
        , m_row3(genetic.row(p[3][i]))
    {
    }

    void add(std::size_t j, double& s0, double& s1, double& s2, double& s3) const
    {
        s0 += m_row0[m_p0[j]];
        s1 += m_row1[m_p1[j]];
        s2 += m_row2[m_p2[j]];
        s3 += m_row3[m_p3[j]];
    }

    void get(std::size_t j, double& g0, double& g1, double& g2, double& g3) const
    {
        g0 = m_row0[m_p0[j]];
        g1 = m_row1[m_p1[j]];
        g2 = m_row2[m_p2[j]];
        g3 = m_row3[m_p3[j]];
    }

    void addTimes(std::size_t j, double weight, double& s0, double& s1, double& s2, double& s3) const
    {
        s0 += m_row0[m_p0[j]] * weight;
        s1 += m_row1[m_p1[j]] * weight;
        s2 += m_row2[m_p2[j]] * weight;
        s3 += m_row3[m_p3[j]] * weight;
    }

private:
    const std::int32_t* m_p0;
    const std::int32_t* m_p1;
    const std::int32_t* m_p2;
    const std::int32_t* m_p3;
    const double* m_row0;
    const double* m_row1;
    const double* m_row2;
    const double* m_row3;
};

/// The four arrangements of a coded matrix given by the permutations `p` (four of them, N entries
/// each, N <= 65536), packed once; row(i) gives their row i.
class CodedPermutedMatrix {
public:
    CodedPermutedMatrix(const DistanceCodes& genetic, const std::int32_t* const* p)
        : m_genetic(genetic)
    {
        thread_local std::vector<std::uint64_t> packed;
        packFourPermutations(p, genetic.size(), packed);
        m_packed = packed.data();
    }
    CodedPermutedRows row(int i) const { return CodedPermutedRows(m_genetic, m_packed, i); }

private:
    const DistanceCodes& m_genetic;
    const std::uint64_t* m_packed = nullptr;
};

/// The same over the matrix of doubles, for any N.
class PlainPermutedMatrix {
public:
    PlainPermutedMatrix(const SquareMatrix& genetic, const std::int32_t* const* p)
        : m_genetic(genetic)
        , m_p(p)
    {
    }
    PlainPermutedRows row(int i) const { return PlainPermutedRows(m_genetic, m_p, i); }

private:
    const SquareMatrix& m_genetic;
    const std::int32_t* const* m_p;
};

inline CodedPermutedMatrix permutedLanes(const DistanceCodes& genetic, const std::int32_t* const* p)
{
    return CodedPermutedMatrix(genetic, p);
}
inline PlainPermutedMatrix permutedLanes(const SquareMatrix& genetic, const std::int32_t* const* p)
{
    return PlainPermutedMatrix(genetic, p);
}

/// Runs `pass(G, lanes)` with `genetic` (a DistanceCodes or a SquareMatrix). `lanes` are four
/// permutations: a group of fewer than four repeats its last one in the spare lanes.
template <typename Genetic, typename Pass>
void withPermutedLanes(const Genetic& genetic, const std::int32_t* const* permutations, int count, Pass&& pass)
{
    const std::int32_t* lanes[PermutationRunner::kGroupSize];
    for (int lane = 0; lane < PermutationRunner::kGroupSize; ++lane)
        lanes[lane] = permutations[lane < count ? lane : count - 1];
    pass(genetic, lanes);
}

/// Runs `pass(G, lanes)` with the codes when the matrix could be coded, else with the matrix itself.
template <typename Pass>
void withPermutedLanes(const DistanceCodes& codes, const SquareMatrix& genetic, const std::int32_t* const* permutations,
                       int count, Pass&& pass)
{
    if (codes.coded())
        withPermutedLanes(codes, permutations, count, pass);
    else
        withPermutedLanes(genetic, permutations, count, pass);
}

} // namespace tessaloc
