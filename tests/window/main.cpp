// The window tests run on Qt's offscreen platform unless another one is asked for (for example
// QT_QPA_PLATFORM=xcb under Xvfb to look at the window). The platform is chosen here, before the
// application exists, because test discovery starts this program without the tests' environment.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
