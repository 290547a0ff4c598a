// The configuration-data fuzz targets' corpora, replayed (see CorpusReplay.h).

#include "CorpusReplay.h"

#include "../../fuzz/ConfigFuzzTargets.h"

class ConfigFuzzCorpusReplay : public testing::TestWithParam<CorpusTarget> {};

TEST_P(ConfigFuzzCorpusReplay, EveryFileKeepsItsProperties) { ReplayCorpus(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Targets, ConfigFuzzCorpusReplay,
    testing::Values(CorpusTarget{"fuzz_xml", ks::fuzz::FuzzXml},
                    CorpusTarget{"fuzz_property_map_deserialize", ks::fuzz::FuzzPropertyMapDeserialize},
                    CorpusTarget{"fuzz_property_map_from_xml", ks::fuzz::FuzzPropertyMapFromXml},
                    CorpusTarget{"fuzz_property_map_file_name", ks::fuzz::FuzzFileName}),
    CorpusTargetName);
