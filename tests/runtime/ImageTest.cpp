// Loading images: unreadable, empty, binary garbage, huge, CR LF line ends.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "tests/support/WorldFixture.h"
#include "vm/runtime/ImageFile.h"

namespace {

class ImageTest : public WorldFixture {
protected:
    std::string write(const std::string& bytes) {
        std::string name = uniqueTempName(".Orvex");
        std::ofstream(name, std::ios::binary) << bytes;
        written_.push_back(name);
        return name;
    }
    void TearDown() override {
        for (const std::string& name : written_) std::remove(name.c_str());
        WorldFixture::TearDown();
    }
    std::vector<std::string> written_;
};

TEST_F(ImageTest, MissingImageBuildsNothing) {
    pool_->load(::testing::TempDir() + "no_such_image.Orvex");
    pool_->run();
    EXPECT_EQ(pool_->globalContext().size(), 0u); // no world
    EXPECT_EQ(printed(), "");
}

TEST_F(ImageTest, CrLfBecomesLfButLoneCrStays) {
    std::string text;
    ASSERT_TRUE(readImageFile(write("a\r\nb\rc\r\r\n\x1a"), text));
    EXPECT_EQ(text, "a\nb\rc\r\n\x1a");
    pool_->load(write("<a\r\nb> : <print> ( ) ;\r\n<c> : <print> ( ) ;"));
    EXPECT_EQ(printed(), "<a\nb><c>");
}

TEST_F(ImageTest, BinaryGarbageAndHugeImagesEndQuietly) {
    std::mt19937 random(7);
    std::string garbage(10 * 1024 * 1024, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    pool_->load(write(garbage));
    pool_->run();
    std::string many;
    for (int i = 0; i < 200000; ++i) many += "x <- <a> ; ";
    many += "x : <print> ( ) ; <" + std::string(5 * 1024 * 1024, '<') + " ( ) ;";
    pool_->load(write(many));
    pool_->run();
    EXPECT_EQ(printed(), "<a>");
}

} // namespace
