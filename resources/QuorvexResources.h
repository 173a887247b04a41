#pragma once

// Registers the resource sets compiled into the static libraries. Programs and tests call
// init() once, before anything reads a ":/" path.
class QuorvexResources
{
public:
    static void init();
};
