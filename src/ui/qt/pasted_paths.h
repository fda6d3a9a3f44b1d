#pragma once
// Turns what the clipboard holds into file paths, as a drop's URLs are.

#include <QMimeData>

#include "ui/qt/drop_decoder.h"

namespace tavrel {

// The file paths on the clipboard: files copied in a file manager (a URI
// list, a copied-files list, a KDE URI list, first found first taken) or
// absolute paths and URIs as text, one a line. Every URI goes through the
// drop's decoder (network locations mapped, refusals named), so a paste adds
// what a drop of the same files adds.
DroppedItems PastedItems(const QMimeData& data, const DropDecoder& decoder);

}  // namespace tavrel
