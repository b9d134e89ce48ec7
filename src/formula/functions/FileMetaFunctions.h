// The functions that read inside the row's file: photo, audio, video and
// document metadata and content hashes.
#pragma once

#include <string>

#include "formula/filemeta/FileMetaRequest.h"

namespace kq {

// What a formula's calls of these functions will ask of every row's file,
// so that it can be read ahead for a whole list. Keys and algorithms given
// as literal texts are known in advance; a computed one is read when the
// row is evaluated. Empty for a formula that uses none of them.
CFileMetaRequest FileMetaRequestOf(const std::u16string& formula);

}  // namespace kq
