#include "commands.h"

#include <cstdlib>

int ParseTransition(const std::string& theValue)
{
    return theValue == "out" ? 1 : theValue == "in" ? 2 : theValue == "cross" ? 3 : -1;
}

bool ParseSpeed(const std::string& theValue, float& outSpeed)
{
    char* theEnd = nullptr;
    const float theSpeed = std::strtof(theValue.c_str(), &theEnd);
    if (theEnd == theValue.c_str() || *theEnd || !(theSpeed >= 0.0f && theSpeed <= 1.0f)) return false;
    outSpeed = theSpeed;
    return true;
}
