// SPDX-License-Identifier: GPL-3.0-or-later
// The progress bar's arithmetic: one step per wiped file up to 32000 files;
// above that, one step per k files with k = ceil(n / 32000), and a range of
// ceil(n / k), so the bar is full exactly when the last counted file is done.
#pragma once

namespace tw {

class ProgressModel {
public:
    static constexpr long long kMaxSteps = 32000;

    void SetRange(long long n)
    {
        m_nCount = 0;
        m_nPosition = 0;
        if (n <= kMaxSteps) {
            m_nDivisor = 0;
            m_nRange = n < 0 ? 0 : n;
        } else {
            m_nDivisor = (n + kMaxSteps - 1) / kMaxSteps;
            m_nRange = (n + m_nDivisor - 1) / m_nDivisor;
            // When n is not a multiple of k the first step covers fewer
            // files, so that the last file still fills the bar.
            m_nCount = m_nDivisor * m_nRange - n;
        }
    }

    void Step(int k)
    {
        for (int i = 0; i < k; ++i) {
            if (m_nDivisor == 0) {
                Advance();
            } else if (++m_nCount >= m_nDivisor) {
                Advance();
                m_nCount = 0;
            }
        }
    }

    long long Range() const { return m_nRange; }
    long long Position() const { return m_nPosition; }
    long long Divisor() const { return m_nDivisor; }  // files per step; 0 = one per file

private:
    void Advance()
    {
        if (m_nPosition < m_nRange)  // the bar never runs past its maximum
            ++m_nPosition;
    }

    long long m_nDivisor = 0;
    long long m_nCount = 0;
    long long m_nRange = 0;
    long long m_nPosition = 0;
};

} // namespace tw
