// Saved window placements fitted to the screen in use: a window saved on a
// bigger screen, or off its edge, comes back wholly on the screen with its
// title bar and close button reachable.

#include "shell/placement.h"

#include <gtest/gtest.h>

TEST(Placement, FitsTheScreenWithItsFrame)
{
    const QRect screen(0, 0, 1024, 612);
    const QMargins titleBar(2, 28, 2, 2);
    const struct {
        const char *name;
        QRect saved;
        QRect fitted;
    } cases[] = {
        {"fits already", QRect(10, 10, 800, 500), QRect(10, 10, 800, 500)},
        {"saved on a bigger screen", QRect(0, 0, 1280, 900), QRect(0, 0, 1020, 582)},
        {"right edge off the screen", QRect(600, 20, 800, 400), QRect(220, 20, 800, 400)},
        {"bottom off the screen", QRect(10, 400, 600, 400), QRect(10, 182, 600, 400)},
        {"left of and above the screen", QRect(-300, -50, 600, 400), QRect(0, 0, 600, 400)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QRect r = FitPlacement(c.saved, screen, titleBar);
        EXPECT_EQ(r, c.fitted);
        // The frame, title bar and close button included, is on the screen.
        EXPECT_TRUE(screen.contains(r.marginsAdded(titleBar).translated(titleBar.left(), titleBar.top())));
    }
    // A second screen to the right: the window stays on the one in use.
    EXPECT_EQ(FitPlacement(QRect(1500, 10, 400, 300), QRect(1024, 0, 1920, 1080)), QRect(1500, 10, 400, 300));
}
