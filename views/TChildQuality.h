#pragma once

#include "views/QualityRows.h"
#include "views/TChild.h"

#include <vector>

class QComboBox;
class QLabel;
class QTableWidget;

// The quality window: every flagged record with the reason, and the user's verdict on each.
// Accepting a flag says the record is not real rain (analysis can leave it out); dismissing it
// says the record is fine.
class TChildQuality : public TChild {
    Q_OBJECT
public:
    explicit TChildQuality(ChildHost* host, QWidget* parent = nullptr);

    // Flags and decisions read again.
    void Refresh();
    // Verdicts on rows of the list (by row number); std::nullopt forgets the verdict.
    void DecideSelected(std::optional<Analysis::FlagVerdict> verdict);
    void DecideRows(const std::vector<size_t>& rows, std::optional<Analysis::FlagVerdict> verdict);
    void DecideAllOf(char letter, Analysis::FlagVerdict verdict);

    const std::vector<QualityRow>& Rows() const { return m_rows; }
    QTableWidget* Table() const { return m_table; }

private:
    void fill();
    void decided();

    std::vector<QualityRow> m_rows;
    QTableWidget* m_table = nullptr;
    QComboBox* m_kind = nullptr;
    QLabel* m_summary = nullptr;
};
