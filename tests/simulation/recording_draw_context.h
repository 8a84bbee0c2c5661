#pragma once
// A drawing context that writes down every call, for tests of the walks and
// of the objects' drawing decisions.
#include <array>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "simulation/draw_interface.h"

namespace orbitfall::testing {

class RecordingDrawContext : public TDrawContext {
public:
    RecordingDrawContext() {
        Matrix.fill(0);
        Matrix[0] = Matrix[5] = Matrix[10] = Matrix[15] = 1;
        Rect = {-1000, -1000, 1000, 1000};
    }

    TViewRect Rect;
    std::array<double, 16> Matrix;
    std::vector<std::string> Calls;

    const TViewRect& ViewRect() const override { return Rect; }
    const std::array<double, 16>& ViewMatrix() const override { return Matrix; }

    void PushMatrix() override { Record("PushMatrix"); }
    void PopMatrix() override { Record("PopMatrix"); }
    void Translate(double x, double y, double z) override { Record("Translate", {x, y, z}); }
    void Rotate(double degrees, double x, double y, double z) override {
        Record("Rotate", {degrees, x, y, z});
    }
    void Scale(double x, double y, double z) override { Record("Scale", {x, y, z}); }
    void SetColor(float r, float g, float b, float a) override { Record("SetColor", {r, g, b, a}); }
    void SetColorBytes(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) override {
        Record("SetColorBytes", {double(r), double(g), double(b), double(a)});
    }
    void BindTexture(TSharedTexture t) override { Record("BindTexture", {double(t)}); }
    void UnbindTexture(TSharedTexture t) override { Record("UnbindTexture", {double(t)}); }
    void EnableBlending() override { Record("EnableBlending"); }
    void DisableBlending() override { Record("DisableBlending"); }
    void SetTextureTransform(double os, double ot, double ss, double st) override {
        Record("SetTextureTransform", {os, ot, ss, st});
    }
    void ResetTextureTransform() override { Record("ResetTextureTransform"); }
    void DrawUnitModel() override { Record("DrawUnitModel"); }
    void DrawShotModel() override { Record("DrawShotModel"); }
    void DrawSphere() override { Record("DrawSphere"); }
    void DrawBillboard(double x, double y, double z, double s) override {
        Record("DrawBillboard", {x, y, z, s});
    }
    void DrawShiftedBillboard(double x, double y, double z, double dz, double s) override {
        Record("DrawShiftedBillboard", {x, y, z, dz, s});
    }
    void DrawHalo(double x, double y, double z, double s) override { Record("DrawHalo", {x, y, z, s}); }

    // Calls whose name starts with prefix, in order.
    std::vector<std::string> Named(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& c : Calls)
            if (c.rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }

private:
    void Record(const char* name, std::initializer_list<double> args = {}) {
        std::ostringstream s;
        s << name;
        if (args.size() > 0) {
            s << '(';
            bool first = true;
            for (double a : args) {
                if (!first) s << ',';
                s << a;
                first = false;
            }
            s << ')';
        }
        Calls.push_back(s.str());
    }
};

}  // namespace orbitfall::testing
