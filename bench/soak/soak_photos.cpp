// soak_photos DIR N: writes N JPEG photos of 800 x 600 pixels (photo1.jpg ...)
// into DIR, each a little different, for the soak benchmark's thumbnails.
#include <gd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s DIR N\n", argv[0]);
    return 2;
  }
  int count = std::atoi(argv[2]);
  for (int i = 1; i <= count; i++) {
    gdImagePtr im = gdImageCreateTrueColor(800, 600);
    if (!im) return 1;
    std::srand(i);
    for (int y = 0; y < 600; y += 4)
      for (int x = 0; x < 800; x += 4)
        gdImageFilledRectangle(im, x, y, x + 3, y + 3,
                               gdTrueColor((x + i * 40) % 256, (y * 3) % 256, std::rand() % 256));
    int size = 0;
    void* bytes = gdImageJpegPtr(im, &size, 85);
    gdImageDestroy(im);
    std::string path = std::string(argv[1]) + "/photo" + std::to_string(i) + ".jpg";
    FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(bytes, 1, static_cast<size_t>(size), f) == static_cast<size_t>(size);
    if (f) std::fclose(f);
    gdFree(bytes);
    if (!ok) return 1;
  }
  return 0;
}
