#pragma once

#include <QString>
#include <array>
#include <optional>

// The painting tools, in the order of their toolbar buttons.
enum class ToolId { Brush, Selector, Fill, Replace, Gamma };

namespace Tools {
inline constexpr std::array<ToolId, 5> All{ToolId::Brush, ToolId::Selector, ToolId::Fill, ToolId::Replace,
                                           ToolId::Gamma};

// The tag of the tool's toolbar button; the editing state and the settings keep this text.
QString tagOf(ToolId tool);
// The tool a tag names; none for any other text.
std::optional<ToolId> fromTag(QStringView tag);
} // namespace Tools
