#pragma once

// Registers the types that cross threads in queued signals under the names the signals use.
class QuorvexMetaTypes
{
public:
    static void registerAll();
};
