#include "transfer_figures.h"

#include <iomanip>
#include <ostream>

namespace vantrel::transfer {

void PrintFigures(Mode mode, const TransferFigures& figures, std::ostream& out) {
  const double bytes_per_s =
      figures.seconds > 0 ? static_cast<double>(figures.data_bytes) / figures.seconds : 0;
  const char* const name = mode == Mode::kUpload ? "upload" : "download";
  out << name << ": " << figures.files << (figures.files == 1 ? " file, " : " files, ")
      << figures.data_bytes << " bytes of data (" << figures.stream_bytes
      << " on the transfer connections) in " << std::fixed << std::setprecision(3)
      << figures.seconds << " s: " << std::setprecision(1) << bytes_per_s / (1024 * 1024)
      << " MiB/s";
  if (figures.queued > 0) out << ", " << figures.queued << " waited in the queue";
  out << (figures.verified ? ", every byte checked\n" : "\n");
  out << std::defaultfloat << std::setprecision(6) << "figures: mode=" << name
      << " files=" << figures.files << " data_bytes=" << figures.data_bytes
      << " stream_bytes=" << figures.stream_bytes << " seconds=" << figures.seconds
      << " bytes_per_s=" << bytes_per_s << " queued=" << figures.queued
      << " verified=" << (figures.verified ? "yes" : "no") << "\n";
}

}  // namespace vantrel::transfer
