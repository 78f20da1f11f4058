// The pictures of the plot tree, drawn here: one per image index the tree uses, and the state
// marker of the clicked node.
#pragma once

#include <QIcon>

namespace trb::gui {

// Image indices of the tree's nodes: a node's kind is known by them, so they stay as they are.
namespace TreeImage {
inline constexpr int Plots = 0, PlotsOpen = 1;
inline constexpr int Experiment = 2, ExperimentOpen = 3;
inline constexpr int PlotSelected = 5;
inline constexpr int Root = 6, RootOpen = 7;
inline constexpr int Files = 8, FilesOpen = 9;
inline constexpr int PlotWithResults = 10, PlotWithoutResults = 11;
inline constexpr int ExperimentWithReferencesOpen = 18, ExperimentWithReferences = 19;
}  // namespace TreeImage

// The icon of an image index (an empty icon for an index the tree does not use).
QIcon treeIcon(int index);
// The state marker drawn over the icon of the clicked node.
QIcon markedTreeIcon(int index);

}  // namespace trb::gui
