// Test hook: how many images, colour spaces and contexts are alive, so that tests can show
// that every reference taken was given back.
#pragma once

extern "C" {

long CGLiveObjectCount(void);

}
