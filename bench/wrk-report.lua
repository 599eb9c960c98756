-- Prints one machine-readable line: requests per second, bytes per second, errors.
done = function(summary, latency, requests)
  local seconds = summary.duration / 1000000
  local errors = summary.errors.connect + summary.errors.read + summary.errors.write +
                 summary.errors.status + summary.errors.timeout
  io.write(string.format("RESULT %.1f %.1f %d\n", summary.requests / seconds, summary.bytes / seconds, errors))
end
