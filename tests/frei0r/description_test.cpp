// Kdenlive's description files address the mixer's parameters by number, as its saved projects
// do: each file must give every number once, with a control that fits the parameter.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace {

struct Parameter {
    std::string type, attributes;
};

// The file's parameters by name, its transition's tag and id.
std::map<std::string, Parameter> ReadDescription(const std::string& theName, std::string& outTag, std::string& outId)
{
    const char* theSourceDir = std::getenv("GLINT_SOURCE_DIR");
    if (!theSourceDir) {
        ADD_FAILURE() << "run it through ctest, which names the source folder";
        return {};
    }
    std::ifstream theFile(std::filesystem::path(theSourceDir) / "frei0r/kdenlive" / theName);
    const std::string theText{std::istreambuf_iterator<char>(theFile), {}};
    const auto attribute = [](const std::string& theElement, const std::string& theAttribute) {
        const std::string theStart = " " + theAttribute + "=\"";
        const size_t theBegin = theElement.find(theStart);
        if (theBegin == std::string::npos) return std::string();
        const size_t theValue = theBegin + theStart.size();
        return theElement.substr(theValue, theElement.find('"', theValue) - theValue);
    };
    const auto element = [&](size_t theBegin) { return theText.substr(theBegin, theText.find('>', theBegin) - theBegin); };
    if (const size_t theTransition = theText.find("<transition "); theTransition != std::string::npos) {
        outTag = attribute(element(theTransition), "tag");
        outId = attribute(element(theTransition), "id");
    }
    std::map<std::string, Parameter> theParameters;
    for (size_t i = theText.find("<parameter "); i != std::string::npos; i = theText.find("<parameter ", i + 1)) {
        const std::string theElement = element(i);
        const std::string theNumber = attribute(theElement, "name");
        EXPECT_FALSE(theParameters.count(theNumber)) << theName << " names parameter " << theNumber << " twice";
        theParameters[theNumber] = {attribute(theElement, "type"), theElement};
    }
    return theParameters;
}

TEST(KdenliveDescriptions, NameEveryParameterByNumberWithAFittingControl)
{
    const struct {
        const char* file;
        const char* id;
        const char* progressType;
        const char* progressDefault;
    } cFiles[] = {
        {"glintweave.xml", "frei0r.glintweave", "animated", "0"},
        {"glintweave_automatic.xml", "glintweave_automatic", "switch", "0=0;-1=1"},
    };
    for (const auto& theFile : cFiles) {
        SCOPED_TRACE(theFile.file);
        std::string theTag, theId;
        const std::map<std::string, Parameter> theParameters = ReadDescription(theFile.file, theTag, theId);
        EXPECT_EQ(theTag, "frei0r.glintweave");
        EXPECT_EQ(theId, theFile.id);
        // progress, transition, fill, left, right, top, bottom, seed
        const std::map<std::string, std::string> theTypes = {
            {"0", theFile.progressType}, {"1", "list"},     {"2", "color"},    {"3", "constant"},
            {"4", "constant"},           {"5", "constant"}, {"6", "constant"}, {"7", "constant"}};
        ASSERT_EQ(theParameters.size(), theTypes.size());
        for (const auto& [theName, theType] : theTypes) {
            ASSERT_TRUE(theParameters.count(theName)) << "parameter " << theName;
            EXPECT_EQ(theParameters.at(theName).type, theType) << "parameter " << theName;
        }
        const auto hasAttributes = [&](const std::string& theName, const std::string& theText) {
            return theParameters.at(theName).attributes.find(theText) != std::string::npos;
        };
        EXPECT_TRUE(hasAttributes("0", std::string("default=\"") + theFile.progressDefault + "\""));
        EXPECT_TRUE(hasAttributes("1", "default=\"cross\" paramlist=\"cross;out;in\""));
        EXPECT_TRUE(hasAttributes("2", "default=\"#0000ff\""));
        // The region's edges are fractions that the panel shows as percentages; whole frame by default.
        for (const char* theEdge : {"3", "5"}) EXPECT_TRUE(hasAttributes(theEdge, "default=\"0\" min=\"0\" max=\"100\" factor=\"100\""));
        for (const char* theEdge : {"4", "6"}) EXPECT_TRUE(hasAttributes(theEdge, "default=\"1\" min=\"0\" max=\"100\" factor=\"100\""));
    }
}

} // namespace
