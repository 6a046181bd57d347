#include "app/program_texts.h"

namespace landuse {

namespace {

constexpr OptionText Help{"-h, --help", "", "Show this help and exit.", Appears::Hidden};
constexpr OptionText Version{"--version", "", "Show the program's version and exit.", Appears::Hidden};

constexpr OptionText Set{"--set", "NAME=TEXT",
                         "Set the control NAME to TEXT, as a user would type it (E_crAgs=5, CB_decay=1, "
                         "StringGrid1[5,1]=0,0), before the world is built. Each value is checked by its control's "
                         "kind and range; settings apply in the order given.",
                         Appears::Repeated};
constexpr OptionText Kernels{"--kernels", "best|portable|avx512",
                             "The machine code of the whole-grid passes; every choice gives the same results, "
                             "avx512 only where the processor has it. Default: LANDUSE_KERNELS, else best."};

constexpr SectionText KernelsEnvironment{"ENVIRONMENT",
                                         "LANDUSE_KERNELS: best, portable or avx512, the choice of --kernels "
                                         "when the option is not given."};

} // namespace

const ProgramText& WindowProgram()
{
    static const ProgramText text{
        "landuse",
        "interactive simulation of how a town's land use grows",
        {{""}},
        "Opens the main window on a world built from the default controls, with each --set applied first, as "
        "landuse-run takes them. A bad option or setting ends the program with status 2 before any window "
        "opens.",
        {},
        {{"--seed", "S", "Seed the random generator with S, for a reproducible run."}, Set, Kernels, Help, Version},
        {{"FILES",
          "\"save bmp\" writes pictures/<stem>1.jpg and <stem>2.jpg, \"save xls\" data/<stem>3.xls, <stem>4.xls "
          "and <stem>5.xls, below the program's folder when the user may write there and it is no system folder "
          "(a build tree or an unpacked copy), else below the folder landuse in the user's documents folder "
          "(XDG_DOCUMENTS_DIR, by default ~/Documents), made when missing. The strip under the world names the "
          "folder of every save."},
         KernelsEnvironment,
         {"SEE ALSO", "landuse-run(1), landuse-batch(1)"}},
    };
    return text;
}

const ProgramText& RunProgram()
{
    static const ProgramText text{
        "landuse-run",
        "one run of the land-use model without a window",
        {{""}},
        "Builds a world from the default controls, with each --set applied first, and runs N steps without a "
        "window, for scripts, servers and batch jobs. FILE may be '-' for standard output.\n\n"
        "Every output is opened before the first step; a regular file is written to FILE.part and renamed into "
        "place when the run completes, so a failed or stopped run leaves no output behind. CSV numbers use a "
        "point as decimal separator, whatever the locale.",
        {},
        {
            {"--steps", "N", "Run N steps (0 or more).", Appears::Required},
            {"--seed", "S", "Seed the random generator with S; the same seed gives the same run on the same build."},
            Set,
            {"--stats", "FILE",
             "A CSV with one row per step: step, agents, the shares of successful, migrated and returning agents "
             "and 100 times the mean trip length."},
            {"--ranksize", "FILE",
             "A CSV with one row per rank-size measure (every 100th step): time, intercept K, correlation r, slope "
             "and the average difference from the ideal distribution."},
            {"--data", "DIR",
             "At the end, the three chart files of the window's \"save xls\" (<stem>3.xls, <stem>4.xls, "
             "<stem>5.xls, the stem from E_pName); the folder is made when missing."},
            {"--picture", "FILE.jpg",
             "The world after the last step as the window's panel shows it, by the options of the Graphic page, "
             "as a JPEG of 404 by 404 pixels."},
            {"--animation", "FILE.gif",
             "The same picture every K-th step and after the last, as an animated GIF with the step number in "
             "its top left corner."},
            {"--every", "K", "With --animation: a frame every K-th step (1 or more; default 10)."},
            Kernels,
            Help,
            Version,
        },
        {{"EXIT STATUS",
          "0 when the run completes; 2 for a bad name, value, option or path, with a one-line message; 130 or 143 "
          "after SIGINT or SIGTERM."},
         KernelsEnvironment,
         {"SEE ALSO", "landuse(1), landuse-batch(1)"}},
    };
    return text;
}

const ProgramText& BatchProgram()
{
    static const ProgramText text{
        "landuse-batch",
        "parameter sweeps of the land-use model on every core or as a Slurm job array",
        {{"analysis1|analysis2|repeat OUT_DIR"}, {"merge OUT_DIR", false}, {"report OUT_DIR", false}},
        "Runs the window's parameter sweeps without a window, each run a fresh world seeded from the master seed "
        "and its number. Each run writes OUT_DIR/runs/NNNNNN/, and OUT_DIR/runs.csv gets a row per run (a point "
        "as decimal separator). Runs already complete are skipped, so the same command resumes an interrupted "
        "experiment.",
        {
            {"analysis1", "Weights drawn for every run; E_runs + 2 runs of E_toSteps steps."},
            {"analysis2",
             "The noise of one land use from E_valFrom2 to E_valTo2 by E_incre; runs of E_toSteps2 steps."},
            {"repeat", "--runs N runs of E_stop steps with one setting."},
            {"merge", "Rebuild OUT_DIR/runs.csv from the complete run folders of all shards."},
            {"report",
             "Write OUT_DIR/report/index.html: plots of the results, the final worlds and a table of the runs; "
             "a partial or sharded experiment says how many runs are missing."},
        },
        {
            Set,
            {"--params", "FILE", "Read NAME=TEXT lines from FILE; blank lines and # comments are skipped."},
            {"--runs", "N", "Make N runs (1 or more) instead of the experiment's own count."},
            {"--seed", "S", "The master seed (default: a new one, recorded in OUT_DIR/batch.json)."},
            {"-j, --jobs", "N", "Run N runs at once (default: the processors this process may use)."},
            {"--shard", "I/N",
             "Make only the runs whose number modulo N is I (default: from a Slurm array task's "
             "SLURM_ARRAY_TASK_ID and SLURM_ARRAY_TASK_COUNT)."},
            Kernels,
            {"--report", "", "Write the report (as the report command does) once the runs are done."},
            Help,
            Version,
        },
        {{"EXIT STATUS",
          "0 when every run is complete; 1 when a run failed or merge finds a run missing; 2 for a bad name, "
          "text, option, shard, params line or folder, before any run starts; 130 or 143 after SIGINT or "
          "SIGTERM."},
         KernelsEnvironment,
         {"SEE ALSO", "landuse(1), landuse-run(1)"}},
    };
    return text;
}

std::vector<const ProgramText*> Programs() { return {&WindowProgram(), &RunProgram(), &BatchProgram()}; }

std::string_view ProgramVersion() { return LANDUSE_VERSION; }

} // namespace landuse
