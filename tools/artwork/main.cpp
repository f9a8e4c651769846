// halvern-artwork: draws the editor's bitmaps at 1x and 2x into a folder.
//
//   halvern-artwork OUTPUT_FOLDER ROBOTO_FOLDER
//   halvern-artwork --preview FILE.png SCALE ROBOTO_FOLDER

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/artwork/artwork_set.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "halvern-artwork: %s\n", message.c_str());
  return 1;
}

int Usage() {
  std::fprintf(stderr,
               "usage: halvern-artwork OUTPUT_FOLDER ROBOTO_FOLDER\n"
               "       halvern-artwork --preview FILE.png SCALE ROBOTO_FOLDER\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const bool preview = argc == 5 && std::string(argv[1]) == "--preview";
  if (!preview && argc != 3) return Usage();

  std::string error;
  artwork::Fonts fonts;
  if (!fonts.Load(argv[argc - 1], error)) return Fail(error);
  const artwork::ProductParameters params;

  if (preview) {
    const int scale = std::atoi(argv[3]);
    if (scale < 1 || scale > 4) return Usage();
    if (!artwork::RenderPreview(scale, fonts, params)->WritePng(argv[2], error)) {
      return Fail(error);
    }
    return 0;
  }
  const std::string folder = argv[1];
  for (const panel::Artwork* art : panel::kArtwork) {
    for (int scale : {1, 2}) {
      const std::string path = folder + "/" + artwork::ScaledFileName(art->file, scale);
      if (!artwork::RenderArtwork(*art, scale, fonts, params)->WritePng(path, error)) {
        return Fail(error);
      }
    }
  }
  return 0;
}
