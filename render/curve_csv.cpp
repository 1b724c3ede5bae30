#include "render/curve_csv.h"

bool write_curve_csv(std::FILE* stream, const std::vector<CurvePoint>& curve) {
    std::fprintf(stream, "iterations,red,blue,green\n");
    for (const CurvePoint& point : curve)
        std::fprintf(stream, "%llu,%.6f,%.6f,%.6f\n", static_cast<unsigned long long>(point.iterations),
                     point.disorder.red, point.disorder.blue, point.disorder.green);
    return !std::ferror(stream);
}
