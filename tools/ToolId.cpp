#include "tools/ToolId.h"

QString Tools::tagOf(ToolId tool)
{
    switch (tool) {
    case ToolId::Brush:
        return QStringLiteral("Brush");
    case ToolId::Selector:
        return QStringLiteral("Selector");
    case ToolId::Fill:
        return QStringLiteral("Fill");
    case ToolId::Replace:
        return QStringLiteral("Replace");
    case ToolId::Gamma:
        return QStringLiteral("Gamma");
    }
    return {};
}

std::optional<ToolId> Tools::fromTag(QStringView tag)
{
    for (const ToolId tool : All)
        if (tag == tagOf(tool))
            return tool;
    return std::nullopt;
}
