#pragma once

// Registers the data types that cross threads in queued signals under the names the signals
// use. The protocol's own types register themselves with the communication code.
class QuorvexMetaTypes
{
public:
    static void registerAll();
};
