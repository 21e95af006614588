// The Knight's Tour for the browser: one page, its own script, nothing
// fetched from anywhere.

#include <string>

#include "server/web/pages.h"

namespace qc::server::web {

std::string KnightsTourBody() {
    return R"html(<p>Move the knight so that it visits every square of the board exactly once.
Click any square to set the knight down, then one of the marked squares it can jump to. The
squares it has visited show their number.</p>
<p id="kt-status" aria-live="polite">Click a square to start.</p>
<div id="kt-board" class="kt" role="group" aria-label="Board"></div>
<p class="links"><button id="kt-undo" type="button">Undo</button>
<button id="kt-hint" type="button">Hint</button>
<button id="kt-restart" type="button">Start again</button></p>
<p class="note">A hint follows Warnsdorff's rule: jump to the square with the fewest onward
jumps.</p>
<noscript><p>The puzzle needs JavaScript.</p></noscript>
<script>
(function () {
  "use strict";
  var board = document.getElementById("kt-board");
  var status = document.getElementById("kt-status");
  var jumps = [[1, 2], [2, 1], [2, -1], [1, -2], [-1, -2], [-2, -1], [-2, 1], [-1, 2]];
  var path = [], cells = [], hint = -1;

  function free(square) { return path.indexOf(square) < 0; }
  function targets(square) {
    var file = square % 8, rank = (square - file) / 8, out = [];
    jumps.forEach(function (j) {
      var f = file + j[0], r = rank + j[1];
      if (f >= 0 && f < 8 && r >= 0 && r < 8 && free(r * 8 + f)) { out.push(r * 8 + f); }
    });
    return out;
  }
  function draw() {
    var here = path.length ? path[path.length - 1] : -1;
    var next = here >= 0 ? targets(here) : [];
    cells.forEach(function (cell, square) {
      var visited = path.indexOf(square);
      var light = ((square % 8) + Math.floor(square / 8)) % 2 === 1;
      var names = ["kt-sq", light ? "l" : "d"];
      if (visited >= 0) { names.push("seen"); }
      if (next.indexOf(square) >= 0) { names.push("next"); }
      if (square === here) { names.push("here"); }
      if (square === hint) { names.push("hint"); }
      cell.className = names.join(" ");
      cell.textContent = square === here ? "\u265E" : (visited >= 0 ? String(visited + 1) : "");
      cell.disabled = here >= 0 && next.indexOf(square) < 0;
    });
    if (path.length === 64) {
      status.textContent = "Well done: the knight has visited all 64 squares!";
    } else if (here >= 0 && next.length === 0) {
      status.textContent = "No way on after " + path.length + " squares. Undo or start again.";
    } else {
      status.textContent = path.length ? path.length + " of 64 squares visited." :
                                         "Click a square to start.";
    }
  }
  function play(square) {
    var here = path.length ? path[path.length - 1] : -1;
    if (here < 0 || targets(here).indexOf(square) >= 0) {
      path.push(square);
      hint = -1;
      draw();
    }
  }
  for (var rank = 7; rank >= 0; rank--) {
    for (var file = 0; file < 8; file++) {
      (function (square) {
        var cell = document.createElement("button");
        cell.type = "button";
        cell.setAttribute("aria-label", "abcdefgh".charAt(square % 8) + (Math.floor(square / 8) + 1));
        cell.addEventListener("click", function () { play(square); });
        cells[square] = cell;
        board.appendChild(cell);
      })(rank * 8 + file);
    }
  }
  document.getElementById("kt-undo").addEventListener("click", function () {
    path.pop();
    hint = -1;
    draw();
  });
  document.getElementById("kt-restart").addEventListener("click", function () {
    path = [];
    hint = -1;
    draw();
  });
  document.getElementById("kt-hint").addEventListener("click", function () {
    if (!path.length) { hint = 0; draw(); return; }
    var best = -1, fewest = 9;
    targets(path[path.length - 1]).forEach(function (t) {
      path.push(t);
      var onward = targets(t).length;
      path.pop();
      if (onward < fewest) { fewest = onward; best = t; }
    });
    hint = best;
    draw();
  });
  draw();
})();
</script>
)html";
}

}  // namespace qc::server::web
