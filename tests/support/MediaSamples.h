// Small real media files made on the spot for the metadata tests and the
// benchmark: the bytes of minimal JPEG, MP3, FLAC, MP4 and PDF files, and
// tags written into them with the same libraries the program reads with.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kq::test {

using CTagList = std::vector<std::pair<std::string, std::string>>;

// A baseline JPEG frame of the given size (markers only, no real picture).
std::string MakeJpeg(int width, int height);
// MPEG-1 layer III frames, 128 kbit/s mono, lasting about `seconds`.
std::string MakeMp3(double seconds);
// A FLAC stream header saying `seconds` of 44.1 kHz stereo.
std::string MakeFlac(double seconds);
// An MP4 with one video track of the given frame size and duration;
// rotation 90 turns the picture by a quarter as phones store portrait video.
std::string MakeMp4(int width, int height, double seconds, int rotation = 0);
// A PDF of `pages` empty pages with an information dictionary (names such
// as "Title" and their texts, written as PDF literal strings).
std::string MakePdf(int pages, const CTagList& info);

// Writes Exif, IPTC or XMP values (Exiv2 keys and their text values) into an
// image file. False when the library is missing or the write fails.
bool WriteImageTags(const std::string& path, const CTagList& tags);
// Writes tags (TagLib property names such as "ARTIST", "TRACKNUMBER") into
// an MP3 (ID3v2) or FLAC (Vorbis comments) file.
bool WriteAudioTags(const std::string& path, const CTagList& tags);

// Whether the writers above and the program's readers have their libraries.
bool HaveImageLibrary();
bool HaveAudioLibrary();

}  // namespace kq::test
