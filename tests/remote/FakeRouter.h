#pragma once

// A RouterModel held in memory for the server's tests and benchmark: routes,
// labels and locks with the lock rules of the program (an output locked by
// one owner refuses routes and lock changes of every other owner). Each
// change is reported to the server at once, from inside the request call,
// as the program's session does.

#include "remote/RouterModel.h"
#include "remote/VideohubServer.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace mc::remote {

class FakeRouter : public RouterModel {
public:
    struct RouteCall {
        std::string owner;
        int output = 0;
        int input = 0;
        std::chrono::steady_clock::time_point at;
    };

    FakeRouter(int inputs, int outputs) { resize(inputs, outputs); }

    void attach(VideohubServer* server) { m_server = server; }
    void resize(int inputs, int outputs) {
        m_inputLabels.assign(inputs, {});
        m_outputLabels.assign(outputs, {});
        for (int i = 0; i < inputs; ++i)
            m_inputLabels[i] = "In " + std::to_string(i + 1);
        for (int o = 0; o < outputs; ++o)
            m_outputLabels[o] = "Out " + std::to_string(o + 1);
        m_routes.assign(outputs, std::nullopt);
        m_locks.assign(outputs, {});
    }

    bool present = true;
    std::vector<RouteCall> routeCalls;

    bool devicePresent() const override { return present; }
    std::string modelName() const override { return "matrix-control Test"; }
    std::string friendlyName() const override { return "Studio A"; }
    std::string uniqueId() const override { return "0123456789AB"; }
    int inputCount() const override { return static_cast<int>(m_inputLabels.size()); }
    int outputCount() const override { return static_cast<int>(m_outputLabels.size()); }
    std::string inputLabel(int input) const override { return m_inputLabels.at(input); }
    std::string outputLabel(int output) const override { return m_outputLabels.at(output); }
    std::optional<int> routedInput(int output) const override { return m_routes.at(output); }
    std::string lockOwner(int output) const override { return m_locks.at(output); }

    // A change made outside the network (the window), reported as one.
    void setRoute(int output, std::optional<int> input) {
        m_routes.at(output) = input;
        if (m_server) m_server->routesChanged({{output, input.value_or(-1)}});
    }

    Outcome routeOutput(const std::string& owner, int output, int input) override {
        routeCalls.push_back({owner, output, input, std::chrono::steady_clock::now()});
        if (!mayChange(owner, output)) return Outcome::refused(Refusal::Locked);
        m_routes.at(output) = input < 0 ? std::nullopt : std::optional<int>(input);
        if (m_server) m_server->routesChanged({{output, input}});
        return {};
    }
    Outcome setInputLabel(const std::string&, int input, const std::string& label) override {
        m_inputLabels.at(input) = label.substr(0, 16);
        if (m_server) m_server->inputLabelsChanged({{input, m_inputLabels.at(input)}});
        return {};
    }
    Outcome setOutputLabel(const std::string&, int output, const std::string& label) override {
        m_outputLabels.at(output) = label.substr(0, 16);
        if (m_server) m_server->outputLabelsChanged({{output, m_outputLabels.at(output)}});
        return {};
    }
    bool takeMode() const override { return m_takeMode; }
    Outcome setTakeMode(const std::string&, bool on) override {
        m_takeMode = on;
        if (m_server) m_server->configurationChanged(on);
        return {};
    }
    Outcome lockOutput(const std::string& owner, int output, LockRequest request) override {
        std::string& holder = m_locks.at(output);
        if (request != LockRequest::ForceUnlock && !mayChange(owner, output))
            return Outcome::refused(Refusal::Locked, holder);
        holder = request == LockRequest::Lock ? owner : std::string();
        if (m_server) m_server->locksChanged({{output, holder}});
        return {};
    }

private:
    bool mayChange(const std::string& owner, int output) const {
        return m_locks.at(output).empty() || m_locks.at(output) == owner;
    }

    VideohubServer* m_server = nullptr;
    bool m_takeMode = false;
    std::vector<std::string> m_inputLabels;
    std::vector<std::string> m_outputLabels;
    std::vector<std::optional<int>> m_routes;
    std::vector<std::string> m_locks;
};

}  // namespace mc::remote
