// The host: inside murano, reload and full screen are the window's business.

var HOST_PATIENCE_MS = 4000;

export function HostBridge() {
  var self = this;
  this.host = null;
  this.state = 'none';
  this.pending = [];
  var qt = window.qt;
  if (!qt || !qt.webChannelTransport) {
    return;
  }
  this.state = 'connecting';
  // A channel that never answers must not swallow the buttons: the page acts on its own then.
  setTimeout(function () {
    if (self.state === 'connecting') {
      self.settle('failed');
    }
  }, HOST_PATIENCE_MS);
  var connect = function () {
    try {
      new window.QWebChannel(qt.webChannelTransport, function (channel) {
        self.host = channel && channel.objects ? channel.objects.host || null : null;
        self.settle(self.host ? 'ready' : 'failed');
      });
    } catch {
      self.settle('failed');
    }
  };
  if (typeof window.QWebChannel === 'function') {
    connect();
    return;
  }
  var script = document.createElement('script');
  script.src = 'qrc:///qtwebchannel/qwebchannel.js';
  script.onload = function () {
    if (typeof window.QWebChannel === 'function') {
      connect();
    } else {
      self.settle('failed');
    }
  };
  script.onerror = function () { self.settle('failed'); };
  document.head.appendChild(script);
}

HostBridge.prototype.settle = function (state) {
  if (this.state !== 'connecting') {
    return;
  }
  this.state = state;
  var pending = this.pending;
  this.pending = [];
  pending.forEach(function (call) { this.send(call.message, call.fallback); }, this);
};

// Sends a request to the host, or runs the page's own fallback where there is no host.
HostBridge.prototype.send = function (message, fallback) {
  if (this.state === 'ready') {
    this.host.flashCall(message);
  } else if (this.state === 'connecting') {
    this.pending.push({ message: message, fallback: fallback });
  } else {
    fallback();
  }
};
