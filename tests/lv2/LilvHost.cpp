#include "LilvHost.h"

#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/patch/patch.h>
#include <lv2/state/state.h>

#include <algorithm>
#include <cmath>
#include <thread>

namespace lilv_testing
{
    namespace
    {
        constexpr size_t sequenceBytes = 16384;

        double rms (const float* samples, int numSamples)
        {
            double sum = 0.0;

            for (int i = 0; i < numSamples; ++i)
                sum += (double) samples[i] * samples[i];

            return std::sqrt (sum / numSamples);
        }
    }

    LilvHost::LilvHost()
        : sequenceSize ((std::int32_t) sequenceBytes),
          sine ((size_t) blockLength),
          outputs (2, std::vector<float> ((size_t) blockLength)),
          inputSequence (sequenceBytes / sizeof (std::uint64_t)),
          outputSequence (sequenceBytes / sizeof (std::uint64_t)),
          parameterPrefix (SELVANDRINE_LV2_URI ":")
    {
        for (int i = 0; i < blockLength; ++i)
            sine[(size_t) i] = sinePeak * (float) std::sin (2.0 * M_PI * 400.0 * i / sampleRate);

        world = lilv_world_new();
        auto* bundle = lilv_new_file_uri (world, nullptr, SELVANDRINE_LV2_BUNDLE "/");
        lilv_world_load_bundle (world, bundle);
        lilv_node_free (bundle);

        auto* uri = lilv_new_uri (world, SELVANDRINE_LV2_URI);
        plugin = lilv_plugins_get_by_uri (lilv_world_get_all_plugins (world), uri);
        lilv_node_free (uri);

        if (plugin == nullptr)
            problem = "no plug-in " SELVANDRINE_LV2_URI " in " SELVANDRINE_LV2_BUNDLE;
        else
            instantiate();

        if (instance != nullptr)
            connectPorts();

        if (problem.empty())
            lilv_instance_activate (instance);

        startTime = std::chrono::steady_clock::now();
    }

    LilvHost::~LilvHost()
    {
        if (instance != nullptr)
        {
            if (problem.empty())
                lilv_instance_deactivate (instance);

            lilv_instance_free (instance);
        }

        lilv_world_free (world);
    }

    void LilvHost::instantiate()
    {
        const auto intType = urids.map (LV2_ATOM__Int);
        const auto option = [&] (const char* key, const std::int32_t& value)
        {
            return LV2_Options_Option { LV2_OPTIONS_INSTANCE, 0, urids.map (key), sizeof (std::int32_t), intType, &value };
        };

        options = { option (LV2_BUF_SIZE__minBlockLength, minBlockLength),
                    option (LV2_BUF_SIZE__maxBlockLength, maxBlockLength),
                    option (LV2_BUF_SIZE__nominalBlockLength, maxBlockLength),
                    option (LV2_BUF_SIZE__sequenceSize, sequenceSize),
                    LV2_Options_Option { LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr } };

        featureList = { { LV2_URID__map, &urids.mapFeature },
                        { LV2_URID__unmap, &urids.unmapFeature },
                        { LV2_OPTIONS__options, options.data() },
                        { LV2_BUF_SIZE__boundedBlockLength, nullptr } };

        for (auto& feature : featureList)
            features.push_back (&feature);

        features.push_back (nullptr);

        // Every feature the description requires must be one this host gives.
        auto* required = lilv_plugin_get_required_features (plugin);

        LILV_FOREACH (nodes, i, required)
        {
            const std::string featureUri = lilv_node_as_uri (lilv_nodes_get (required, i));

            if (std::none_of (featureList.begin(), featureList.end(), [&] (const auto& f) { return featureUri == f.URI; }))
                problem += "the description requires " + featureUri + ", which this host does not give; ";
        }

        lilv_nodes_free (required);

        if (problem.empty())
        {
            instance = lilv_plugin_instantiate (plugin, sampleRate, features.data());

            if (instance == nullptr)
                problem = "the plug-in refused to instantiate";
        }
    }

    void LilvHost::connectPorts()
    {
        auto* audioClass = lilv_new_uri (world, LV2_CORE__AudioPort);
        auto* atomClass = lilv_new_uri (world, LV2_ATOM__AtomPort);
        auto* controlClass = lilv_new_uri (world, LV2_CORE__ControlPort);
        auto* inputClass = lilv_new_uri (world, LV2_CORE__InputPort);

        const auto numPorts = lilv_plugin_get_num_ports (plugin);
        std::vector<float> defaults (numPorts);
        lilv_plugin_get_port_ranges_float (plugin, nullptr, nullptr, defaults.data());
        controls.assign (numPorts, 0.0f);
        size_t numAudioInputs = 0, numAudioOutputs = 0;

        for (uint32_t index = 0; index < numPorts; ++index)
        {
            const auto* port = lilv_plugin_get_port_by_index (plugin, index);
            const auto isInput = lilv_port_is_a (plugin, port, inputClass);
            void* data = nullptr;

            if (lilv_port_is_a (plugin, port, audioClass))
                data = isInput ? (numAudioInputs++ < 2 ? sine.data() : nullptr)
                               : (numAudioOutputs < 2 ? outputs[numAudioOutputs++].data() : nullptr);
            else if (lilv_port_is_a (plugin, port, atomClass))
                data = isInput ? inputSequence.data() : outputSequence.data();
            else if (lilv_port_is_a (plugin, port, controlClass))
                data = &(controls[index] = std::isnan (defaults[index]) ? 0.0f : defaults[index]);

            if (data == nullptr)
                problem += "port " + std::to_string (index) + " is of a kind or number this host does not expect; ";

            lilv_instance_connect_port (instance, index, data);
        }

        if (numAudioInputs != 2 || numAudioOutputs != 2)
            problem += "expected a stereo plug-in; ";

        for (auto* node : { audioClass, atomClass, controlClass, inputClass })
            lilv_node_free (node);
    }

    void LilvHost::set (const std::string& parameterId, float value)
    {
        pending.emplace_back (urids.map (parameterPrefix + parameterId), value);
    }

    void LilvHost::writeInputSequence()
    {
        LV2_Atom_Forge forge;
        lv2_atom_forge_init (&forge, &urids.mapFeature);
        lv2_atom_forge_set_buffer (&forge, reinterpret_cast<uint8_t*> (inputSequence.data()), sequenceBytes);

        LV2_Atom_Forge_Frame sequence;
        lv2_atom_forge_sequence_head (&forge, &sequence, 0);

        for (const auto& [property, value] : pending)
        {
            LV2_Atom_Forge_Frame object;
            lv2_atom_forge_frame_time (&forge, 0);
            lv2_atom_forge_object (&forge, &object, 0, urids.map (LV2_PATCH__Set));
            lv2_atom_forge_key (&forge, urids.map (LV2_PATCH__property));
            lv2_atom_forge_urid (&forge, property);
            lv2_atom_forge_key (&forge, urids.map (LV2_PATCH__value));
            lv2_atom_forge_float (&forge, value);
            lv2_atom_forge_pop (&forge, &object);
        }

        lv2_atom_forge_pop (&forge, &sequence);
        pending.clear();

        // The output port's buffer: its whole capacity, for the plug-in to fill.
        auto* output = reinterpret_cast<LV2_Atom*> (outputSequence.data());
        output->type = urids.map (LV2_ATOM__Chunk);
        output->size = (uint32_t) (sequenceBytes - sizeof (LV2_Atom));
    }

    void LilvHost::readOutputSequence()
    {
        reports.clear();
        const auto* output = reinterpret_cast<const LV2_Atom_Sequence*> (outputSequence.data());

        if (output->atom.type != urids.map (LV2_ATOM__Sequence))
            return;

        LV2_ATOM_SEQUENCE_FOREACH (output, event)
        {
            if (event->body.type != urids.map (LV2_ATOM__Object))
                continue;

            const auto* object = reinterpret_cast<const LV2_Atom_Object*> (&event->body);
            const LV2_Atom* property = nullptr;
            const LV2_Atom* value = nullptr;

            if (object->body.otype != urids.map (LV2_PATCH__Set))
                continue;

            lv2_atom_object_get (object, urids.map (LV2_PATCH__property), &property, urids.map (LV2_PATCH__value), &value, 0);

            if (property == nullptr || property->type != urids.map (LV2_ATOM__URID) || value == nullptr
                || value->type != urids.map (LV2_ATOM__Float))
                continue;

            std::string id = urids.unmap (reinterpret_cast<const LV2_Atom_URID*> (property)->body);

            if (id.rfind (parameterPrefix, 0) == 0)
                id.erase (0, parameterPrefix.size());

            reports[id] = reinterpret_cast<const LV2_Atom_Float*> (value)->body;
        }
    }

    double LilvHost::runBlock()
    {
        writeInputSequence();
        lilv_instance_run (instance, blockLength);
        readOutputSequence();

        const auto in = rms (sine.data(), blockLength);
        const auto out = std::hypot (rms (outputs[0].data(), blockLength), rms (outputs[1].data(), blockLength)) / std::sqrt (2.0);
        return 20.0 * std::log10 (out / in);
    }

    std::vector<LilvHost::Reports> LilvHost::runUntilAge (std::chrono::milliseconds age)
    {
        const auto blockDuration = std::chrono::microseconds ((long long) (1.0e6 * blockLength / sampleRate));
        std::vector<Reports> reported;

        for (auto next = std::chrono::steady_clock::now(); next < startTime + age; next += blockDuration)
        {
            std::this_thread::sleep_until (next);
            runBlock();

            if (! reports.empty())
                reported.push_back (reports);
        }

        return reported;
    }

    LilvState* LilvHost::saveState()
    {
        return lilv_state_new_from_instance (plugin, instance, &urids.mapFeature, nullptr, nullptr, nullptr, nullptr,
                                             nullptr, nullptr, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features.data());
    }

    void LilvHost::restoreState (const LilvState& state)
    {
        lilv_state_restore (&state, instance, nullptr, nullptr, 0, features.data());
    }
}
