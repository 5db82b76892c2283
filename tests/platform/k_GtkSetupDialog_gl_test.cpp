#include "platform/k_GtkSetupDialog.h"

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

// GTK takes the process locale from the environment when it starts; the numeric part must stay "C",
// or a user's comma-decimal locale would change how the engine reads and writes numbers.
TEST(k_GtkSetupDialog, OpeningKeepsTheNumericLocale)
{
    ASSERT_NE(setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "tools/setup.sh generates de_DE.UTF-8";
    setlocale(LC_ALL, "C");
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    ASSERT_TRUE(k_GtkSetupDialog::Open());
    unsetenv("LC_ALL");
    // The environment's locale was taken (the dialog speaks the user's language), all but the numbers.
    EXPECT_EQ(std::string(setlocale(LC_CTYPE, nullptr)), "de_DE.UTF-8");
    EXPECT_EQ(std::string(setlocale(LC_NUMERIC, nullptr)), "C");
    EXPECT_EQ(std::strtod("0.85", nullptr), 0.85);
    setlocale(LC_ALL, "C");
}
