#pragma once

#include "tools/PaintingTool.h"

#include <optional>

// Lightens a cell by the gamma step with the left button and darkens it with the right,
// once per visit: staying on a cell does not change it again.
class GammaTool : public CellTool {
public:
    void strokeEnded() override { m_lastCell.reset(); }
    std::optional<QPoint> lastCell() const { return m_lastCell; }

protected:
    void paintCell(int Button, QPoint cell, Colour under, ToolContext& context) override;

private:
    std::optional<QPoint> m_lastCell;
};
