// Loading images: unreadable, empty, binary garbage, huge, CR LF line ends.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "tests/support/WorldFixture.h"
#include "vm/runtime/ImageFile.h"

namespace {

class ImageTest : public WorldFixture {
protected:
    // A file of the running test's own: CTest runs the tests in parallel processes.
    std::string write(const std::string& bytes) {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = ::testing::TempDir() + "orvex_" + test->name() + std::to_string(written_.size()) + ".Orvex";
        std::ofstream(name, std::ios::binary) << bytes;
        written_.push_back(name);
        return name;
    }
    ~ImageTest() override {
        for (const std::string& name : written_) std::remove(name.c_str());
    }
    std::vector<std::string> written_;
};

TEST_F(ImageTest, MissingImageRunsNothing) {
    EXPECT_EQ(runtime_->runFile((::testing::TempDir() + "no_such_image.Orvex").c_str()),
              Runtime::Status::CannotRead);
    EXPECT_EQ(printed(), "");
}

TEST_F(ImageTest, CrLfBecomesLfButLoneCrStays) {
    std::string text;
    ASSERT_TRUE(readImageFile(write("a\r\nb\rc\r\r\n\x1a"), text));
    EXPECT_EQ(text, "a\nb\rc\r\n\x1a");
    runtime_->runFile(write("<a\r\nb> : <print> ( ) ;\r\n<c> : <print> ( ) ;").c_str());
    EXPECT_EQ(printed(), "<a\nb><c>");
}

TEST_F(ImageTest, BinaryGarbageAndHugeImagesEndQuietly) {
    std::mt19937 random(7);
    std::string garbage(10 * 1024 * 1024, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    runtime_->runFile(write(garbage).c_str());
    std::string many;
    for (int i = 0; i < 200000; ++i) many += "x <- <a> ; ";
    many += "x : <print> ( ) ; <" + std::string(5 * 1024 * 1024, '<') + " ( ) ;";
    runtime_->runFile(write(many).c_str());
    EXPECT_EQ(printed(), "<a>");
}

} // namespace
