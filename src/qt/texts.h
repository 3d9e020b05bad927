#pragma once
// The texts a dock widget shows, in English, translated by the translator installTranslator loads.
#include <QString>
#include <string>

namespace tov::qt::detail {

/// A text the core set (its own are German) as the dock widget shows it: the English text it stands
/// for, translated; any other text (an application's own tooltip) as it is.
QString presented(const std::string& coreText);

/// The parts of a pane that assistive technology names after the pane.
enum class PanePart { Close, Collapse, Expand, Options, Splitter };
/// The name of a part of the pane titled `pane`, such as "Close Files".
QString nameOf(PanePart part, const QString& pane);

}  // namespace tov::qt::detail
