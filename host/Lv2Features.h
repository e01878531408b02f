#pragma once

#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <map>
#include <string>

// The features an LV2 host offers an instance: urid:map and, through options, the largest
// block it will run. Lives as long as the instance made with it.
class Lv2Features {
public:
    explicit Lv2Features(int32_t maxBlockLength)
        : maxBlock(maxBlockLength),
          map{this, &Lv2Features::Map},
          options{{LV2_OPTIONS_INSTANCE, 0, Map(this, LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t),
                   Map(this, "http://lv2plug.in/ns/ext/atom#Int"), &maxBlock},
                  {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}},
          mapFeature{LV2_URID__map, &map},
          optionsFeature{LV2_OPTIONS__options, options},
          list{&mapFeature, &optionsFeature, nullptr}
    {
    }
    const LV2_Feature* const* List() const { return list; }

    Lv2Features(const Lv2Features&) = delete;
    Lv2Features& operator=(const Lv2Features&) = delete;

private:
    static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri)
    {
        auto& uris = static_cast<Lv2Features*>(handle)->uris;
        return uris.emplace(uri, LV2_URID(uris.size() + 1)).first->second;
    }

    int32_t maxBlock;
    std::map<std::string, LV2_URID> uris;
    LV2_URID_Map map;
    LV2_Options_Option options[2];
    LV2_Feature mapFeature;
    LV2_Feature optionsFeature;
    const LV2_Feature* list[3];
};
