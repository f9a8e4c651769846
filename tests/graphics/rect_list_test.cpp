#include <gtest/gtest.h>

#include <random>

#include "graphics/geometry.h"

namespace {

using fw::gui::Rect;
using fw::gui::RectList;

// How many rectangles of the list cover the centre of each cell of a 40 × 40 grid.
std::vector<int> Coverage(const RectList& list) {
  std::vector<int> counts(40 * 40, 0);
  for (int i = 0; i < list.Size(); ++i) {
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x)
        counts[y * 40 + x] += list.Get(i).Contains(x + 0.5f, y + 0.5f);
    }
  }
  return counts;
}

TEST(RectList, OptimisingCoversTheSameCellsExactlyOnce) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> coordinate(0, 39);
  for (int round = 0; round < 300; ++round) {
    RectList list;
    int count = 1 + round % 8;
    for (int i = 0; i < count; ++i) {
      int x1 = coordinate(random), x2 = coordinate(random), y1 = coordinate(random),
          y2 = coordinate(random);
      list.Add({static_cast<float>(std::min(x1, x2)), static_cast<float>(std::min(y1, y2)),
                static_cast<float>(std::max(x1, x2) + 1),
                static_cast<float>(std::max(y1, y2) + 1)});
    }
    std::vector<int> before = Coverage(list);
    list.Optimize();
    std::vector<int> after = Coverage(list);
    for (size_t cell = 0; cell < before.size(); ++cell) {
      ASSERT_EQ(after[cell], before[cell] > 0 ? 1 : 0) << "round " << round << " cell " << cell;
    }
  }
}

TEST(RectList, RemovesContainedRectanglesAndMergesNeighbours) {
  RectList contained;
  contained.Add({5, 5, 10, 10});
  contained.Add({0, 0, 20, 20});
  contained.Add({0, 0, 0, 0});
  contained.Optimize();
  ASSERT_EQ(contained.Size(), 1);
  EXPECT_EQ(contained.Get(0), (Rect{0, 0, 20, 20}));

  RectList neighbours;  // a column of three touching rectangles and one beside it
  neighbours.Add({0, 0, 10, 10});
  neighbours.Add({0, 20, 10, 30});
  neighbours.Add({0, 10, 10, 20});
  neighbours.Add({10, 0, 20, 30});
  neighbours.Optimize();
  ASSERT_EQ(neighbours.Size(), 1);
  EXPECT_EQ(neighbours.Get(0), (Rect{0, 0, 20, 30}));
}

TEST(RectList, AlignsOutwardToWholePixels) {
  RectList list;
  list.Add({10.2f, 10.6f, 20.1f, 20.9f});
  list.PixelAlign(2.0f);
  EXPECT_EQ(list.Get(0), (Rect{10.0f, 10.5f, 20.5f, 21.0f}));
}

}  // namespace
