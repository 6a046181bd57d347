// The `landuse._core` extension: the core's simulation for Python, with the
// cells as numpy views and the results as numpy arrays.

#include "python/py_simulation.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstddef>
#include <limits>

namespace py = pybind11;
using namespace landuse;

namespace {

// Copied out of the agent list: the list grows and moves during a step.
struct AgentRecord {
    int32_t PosX, PosY, HomeX, HomeY, State, TripSteps, Migrated, Successful;
};

static_assert(offsetof(TCell, ReturnTrackValue) == offsetof(TCell, TrackValue) + sizeof(double),
              "the two track marks are viewed as one axis");

// Runs f with the simulation's lock held; the Python lock is given up while
// waiting, so a step running in another thread can finish.
template <class F>
auto locked(PySimulation& sim, F&& f)
{
    std::unique_lock lock(sim.mutex(), std::defer_lock);
    {
        py::gil_scoped_release release;
        lock.lock();
    }
    return f();
}

// A read-only view of one member of every cell. It keeps the simulation
// object and the cells' lease alive, so it stays valid after a new world.
template <class T>
py::array cellView(py::object self, PySimulation& sim, std::vector<py::ssize_t> shape,
                   std::vector<py::ssize_t> strides, size_t offset)
{
    auto* lease = new std::shared_ptr<CellsLease>(sim.lease());
    py::capsule keep(lease, [](void* p) { delete static_cast<std::shared_ptr<CellsLease>*>(p); });
    const char* base = reinterpret_cast<const char*>(sim.cells());
    py::array view(py::dtype::of<T>(), std::move(shape), std::move(strides),
                   base ? reinterpret_cast<const T*>(base + offset) : nullptr, py::make_tuple(self, keep));
    view.attr("setflags")(py::arg("write") = false);
    return view;
}

// Fields of every cell, as (layers, rows, columns) or (rows, columns).
py::array fieldView(py::object self, size_t offset, int layers, bool asDouble)
{
    PySimulation& sim = self.cast<PySimulation&>();
    return locked(sim, [&] {
        const py::ssize_t rows = sim.rows();
        const py::ssize_t cols = sim.columns();
        const py::ssize_t cell = sizeof(TCell);
        if (!asDouble)
            return cellView<int32_t>(self, sim, {rows, cols}, {cell * cols, cell}, offset);
        return cellView<double>(self, sim, {layers, rows, cols}, {py::ssize_t(sizeof(double)), cell * cols, cell},
                                offset);
    });
}

template <class T>
py::array_t<T> column(const std::vector<T>& values)
{
    py::array_t<T> out(py::ssize_t(values.size()));
    std::copy(values.begin(), values.end(), out.mutable_data());
    return out;
}

py::dict statisticsOf(PySimulation& sim)
{
    return locked(sim, [&] {
        std::vector<int64_t> step, agents, successful, travel, migrated, returning;
        for (const StatsRow& r : sim.statsRows()) {
            step.push_back(r.step);
            agents.push_back(r.agents);
            successful.push_back(r.stats.Successful);
            travel.push_back(r.stats.TravelTime);
            migrated.push_back(r.stats.Migrated);
            returning.push_back(r.stats.Returning);
        }
        py::dict d;
        d["step"] = column(step);
        d["agents"] = column(agents);
        d["successful"] = column(successful);
        d["travel_time"] = column(travel);
        d["migrated"] = column(migrated);
        d["returning"] = column(returning);
        return d;
    });
}

py::dict rankSizeOf(PySimulation& sim)
{
    return locked(sim, [&] {
        const auto number = [](const std::optional<double>& v) {
            return v ? *v : std::numeric_limits<double>::quiet_NaN();
        };
        std::vector<int64_t> time;
        std::vector<double> k, r, slope, diff;
        for (const RankSizeRow& row : sim.rankSizeRows()) {
            time.push_back(row.Time);
            k.push_back(number(row.K));
            r.push_back(number(row.Correlation));
            slope.push_back(number(row.Slope));
            diff.push_back(number(row.AvgDiff));
        }
        py::dict d;
        d["time"] = column(time);
        d["intercept_K"] = column(k);
        d["correlation_r"] = column(r);
        d["slope"] = column(slope);
        d["avg_diff"] = column(diff);
        return d;
    });
}

py::array agentsOf(PySimulation& sim)
{
    return locked(sim, [&] {
        const std::vector<TAgent>& agents = sim.agents();
        py::array_t<AgentRecord> out(py::ssize_t(agents.size()));
        AgentRecord* rec = out.mutable_data();
        for (const TAgent& a : agents)
            *rec++ = {a.PosX, a.PosY, a.HomeX, a.HomeY, a.State, a.TripSteps, a.Migrated, a.Successful};
        return out;
    });
}

py::array pictureOf(PySimulation& sim)
{
    auto* image = new RgbImage(locked(sim, [&] { return sim.picture(); }));
    py::capsule owner(image, [](void* p) { delete static_cast<RgbImage*>(p); });
    return py::array_t<uint8_t>({py::ssize_t(image->height), py::ssize_t(image->width), py::ssize_t(3)},
                                image->rgb.data(), owner);
}

} // namespace

PYBIND11_MODULE(_core, m)
{
    m.doc() = "The land-use model's core.";
    PYBIND11_NUMPY_DTYPE(AgentRecord, PosX, PosY, HomeX, HomeY, State, TripSteps, Migrated, Successful);
    py::class_<PySimulation>(m, "Simulation")
        .def(py::init<std::optional<uint64_t>, bool>(), py::arg("seed") = py::none(), py::arg("draw") = true)
        .def_property_readonly("seed", &PySimulation::seed)
        .def_property_readonly("draws", [](PySimulation& s) { return locked(s, [&] { return s.draws(); }); })
        .def(
            "set",
            [](PySimulation& s, const std::string& name, const std::string& text) {
                locked(s, [&] { s.set(name, text); });
            },
            py::arg("name"), py::arg("text"))
        .def(
            "get", [](PySimulation& s, const std::string& name) { return locked(s, [&] { return s.get(name); }); },
            py::arg("name"))
        .def("settings", [](PySimulation& s) { return locked(s, [&] { return s.settings(); }); })
        .def("setup", [](PySimulation& s) { locked(s, [&] { s.setup(); }); })
        .def(
            "step",
            [](PySimulation& s, int64_t n) {
                py::gil_scoped_release release;
                std::lock_guard lock(s.mutex());
                s.step(n);
            },
            py::arg("n") = 1)
        .def_property_readonly("step_count", [](PySimulation& s) { return locked(s, [&] { return s.stepCount(); }); })
        .def_property_readonly("has_world", [](PySimulation& s) { return locked(s, [&] { return s.hasWorld(); }); })
        .def_property_readonly("shape", [](PySimulation& s) {
            return locked(s, [&] { return py::make_tuple(s.rows(), s.columns()); });
        })
        .def_property_readonly("potential",
                               [](py::object self) { return fieldView(self, offsetof(TCell, Potential), 3, true); })
        .def_property_readonly("tracks",
                               [](py::object self) { return fieldView(self, offsetof(TCell, TrackValue), 2, true); })
        .def_property_readonly("land_use",
                               [](py::object self) { return fieldView(self, offsetof(TCell, LandUse), 1, false); })
        .def_property_readonly("agents", &agentsOf)
        .def("picture", &pictureOf)
        .def("_statistics", &statisticsOf)
        .def("_rank_size", &rankSizeOf)
        .def("statistics_csv", [](PySimulation& s) { return locked(s, [&] { return s.statsCsv(); }); })
        .def("rank_size_csv", [](PySimulation& s) { return locked(s, [&] { return s.rankSizeCsv(); }); });

    m.attr("EMPTY") = Empty;
    m.attr("BARRIER") = Barrier;
    m.attr("RESIDENTIAL") = Residential;
    m.attr("DESTINATION") = Destination;
    m.attr("SERVICE") = Service;
    m.attr("INDUSTRY") = Industry;
}
